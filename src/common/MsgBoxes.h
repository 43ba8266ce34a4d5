#pragma once
// Modal message boxes through the installed user-interface hooks (headless: stderr).

#include <string>

namespace kalvero {

class TLogger;

// Information box, caption "Сообщение".
void MsgBox(const std::string& aText);
// Without this a string literal would pick the bool overload.
void MsgBox(const char* aText);
void MsgBox(int aValue);
// "true" or "false".
void MsgBox(bool aValue);

// Error box, caption "Произошла ошибка"; the text also goes to the process-wide log at the error
// level (class name "ErrBox") when the log exists.
void ErrBox(const std::string& aText);
// The same box, the text logged at the error level to aLogger under aClassName when aLogger is
// given.
void ErrBox(TLogger* aLogger, const std::string& aClassName, const std::string& aText);

// Yes/No question, caption "Сообщение": true for Yes.
bool MsgBoxYN(const std::string& aText);
// OK/Cancel question, caption "Сообщение": true for OK.
bool MsgBoxOC(const std::string& aText);

}  // namespace kalvero
