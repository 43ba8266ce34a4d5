// "program": heating program files (*.prg) — show, check and write them.

#include <CLI/CLI.hpp>

#include <charconv>
#include <iostream>

#include "acquisition/ScanProgram.h"
#include "cli/CliContext.h"

namespace kalvero::cli {
namespace {

struct RStepArg {
    TScanProgramStepType type = spstNone;
    int32_t param = 0;
    bool keep = true;
};

// "heat:150", "hold:10", "free:5:nokeep" ("keep" may be written out too). False on anything else.
bool ParseStepArg(const std::string& aText, RStepArg& aStep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t colon; (colon = aText.find(':', start)) != std::string::npos; start = colon + 1)
        parts.push_back(aText.substr(start, colon - start));
    parts.push_back(aText.substr(start));
    if (parts.size() < 2 || parts.size() > 3) return false;
    if (parts[0] == "heat")
        aStep.type = spstHeating;
    else if (parts[0] == "hold")
        aStep.type = spstSustain;
    else if (parts[0] == "free")
        aStep.type = spstFree;
    else
        return false;
    const std::string& number = parts[1];
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), aStep.param);
    if (number.empty() || ec != std::errc() || end != number.data() + number.size()) return false;
    if (parts.size() == 3 && parts[2] != "keep" && parts[2] != "nokeep") return false;
    aStep.keep = parts.size() < 3 || parts[2] == "keep";
    return true;
}

nlohmann::ordered_json StepsToJson(const TScanProgram& aProgram) {
    nlohmann::ordered_json steps = nlohmann::ordered_json::array();
    for (int32_t n = 1; n <= aProgram.GetItemCount(); ++n) {
        const RScanProgramStep step = aProgram.GetStep(n);
        nlohmann::ordered_json j;
        j["stepNo"] = step.stepNo;
        j["stepType"] = ScanProgramStepTypeName(step.stepType);
        j["stepParam"] = step.stepParam;
        j["keepData"] = step.storeScannedData;
        steps.push_back(j);
    }
    return steps;
}

void Show(const TCliContext& aContext, const std::string& aFile) {
    TScanProgram program("", nullptr);
    program.LoadFromFile(aFile);
    nlohmann::ordered_json result;
    result["steps"] = StepsToJson(program);
    if (aContext.Options().json) {
        aContext.Print(result);
        return;
    }
    for (const auto& s : result["steps"]) {
        std::cout << s["stepNo"].get<int>() << ". " << s["stepType"].get<std::string>() << " "
                  << s["stepParam"].get<int>() << " keepData=" << (s["keepData"].get<bool>() ? 1 : 0) << '\n';
    }
    std::cout.flush();
}

void Check(const TCliContext& aContext, const std::string& aFile) {
    TScanProgram program("", nullptr);
    program.LoadFromFile(aFile);
    program.Validate();
    nlohmann::ordered_json result;
    result["file"] = aFile;
    result["stepCount"] = program.GetItemCount();
    result["valid"] = true;
    aContext.Print(result);
}

void New(const TCliContext& aContext, const std::vector<std::string>& aSteps, const std::string& aOut) {
    TScanProgram program("", nullptr);
    for (const std::string& text : aSteps) {
        RStepArg step;
        ParseStepArg(text, step);  // checked by the option's validator
        program.AddStep(step.type, step.param, step.keep);
    }
    program.SaveToFile(aOut);  // validates first: an empty or invalid program is not written
    nlohmann::ordered_json result;
    result["file"] = aOut;
    result["stepCount"] = program.GetItemCount();
    aContext.Print(result);
}

}  // namespace

void RegisterProgramCommands(CLI::App& aApp, TCliContext& aContext) {
    auto* program = aApp.add_subcommand("program", "Heating program files (*.prg)");
    program->require_subcommand(1);

    auto file = std::make_shared<std::string>();
    auto* show = program->add_subcommand("show", "List the steps of a program file");
    show->add_option("FILE", *file, "Program file")->required();
    show->callback([&aContext, file] { Show(aContext, *file); });

    auto* check = program->add_subcommand("check", "Validate a program file");
    check->add_option("FILE", *file, "Program file")->required();
    check->callback([&aContext, file] { Check(aContext, *file); });

    auto steps = std::make_shared<std::vector<std::string>>();
    auto out = std::make_shared<std::string>();
    auto* create = program->add_subcommand("new", "Write a program file from steps");
    create
        ->add_option(
            "--step", *steps,
            "A step, in order: heat:<°C>, hold:<min> or free:<min>, with :nokeep to drop its samples")
        ->check(CLI::Validator(
            [](std::string& aText) {
                RStepArg step;
                return ParseStepArg(aText, step)
                           ? std::string()
                           : "expected heat:N, hold:N or free:N with an optional :keep or :nokeep";
            },
            "STEP"));
    create->add_option("--out", *out, "Program file to write")->required();
    create->callback([&aContext, steps, out] { New(aContext, *steps, *out); });
}

}  // namespace kalvero::cli
