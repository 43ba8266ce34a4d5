#pragma once
// The back-end of the USB modules driven through the uni-driver library. Buffer-driven: it waits
// for the driver to fill a buffer and converts every sample of it; it is the only back-end that
// drives the instrument's digital port and runs the heating program, once per buffer.

#include <memory>
#include <mutex>
#include <vector>

#include "acquisition/CommonScanThread.h"
#include "acquisition/UniUsbDeviceDescriptor.h"

namespace kalvero {

class TLaUniUsbScanThread final : public TCommonScanThread {
public:
    // Creates the descriptor, which validates the settings (EDeviceConfigException).
    TLaUniUsbScanThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock = nullptr);
    ~TLaUniUsbScanThread() override;
    const char* ClassName() const override { return "TLaUniUsbScanThread"; }

    // Connects and sets the converter up; a failure is logged and left as the fatal error state.
    void InitHardware() override;
    bool IsDevicePresent() override;
    bool RunsProgram() const override { return true; }
    // Start starts the converter first (a program that is refused stops it again);
    // Stop and Reset stop it. Pause and Resume leave it running.
    void Start() override;
    void Stop() override;
    void Reset() override;
    void StartADC();
    void StopADC();
    // Releases the hardware and the descriptor.
    void Cleanup();

    TUniUsbDeviceDescriptor* Descriptor() const { return fDeviceDescriptor.get(); }

    // Reduces aCount samples of one driver buffer to frames and stores them in the experiment:
    // the path of every sample (division, channel mapping, range steps, calibration, storage).
    // A frame cut by the end of a buffer, and frames dropped by decimation, continue into the
    // next buffer. Public for the benchmark of this path.
    void ConvertBuffer(const int32_t* aBuffer, uint32_t aCount);
    // The frame layout after InitHardware; the time index starts again at 0 (also for the
    // benchmark).
    void PrepareFrames();

protected:
    void Execute() override;
    void SwitchHeaterOffNow() override;

private:
    // What one hardware channel of a frame feeds.
    struct TSlot {
        bool temperature;
        uint32_t channel;  // experiment channel
        int32_t offset;
    };

    void Turn();
    // Sends the queued port writes; aBestEffort: a failed write is logged and the rest still go.
    void DrainCommands(bool aBestEffort);

    std::unique_ptr<TUniUsbDeviceDescriptor> fDeviceDescriptor;
    // Held while the next start connects anew and while the body sends queued commands: the
    // stopped body keeps sending what the stop queued, and must not meet a connection half made.
    std::mutex fConnectLock;
    TIntegers fWork;
    std::vector<std::vector<TSlot>> fSlots;  // per hardware channel of a frame
    uint32_t fUsed = 0;
    int64_t fDivider = 1;
    uint32_t fSkipPerFrame = 0;
    uint32_t fGrowItems = 600;
    // Carried from one buffer to the next.
    uint32_t fHwChannel = 0;
    uint32_t fSkip = 0;
    float fLastTemp = 0;      // calibrated temperature of the last T sample (the program's input)
    int32_t fLastTValue = 0;  // raw value of the last T sample
    float fLastTValueTc = 0;  // its calibration
    bool fHasLastT = false;
};

}  // namespace kalvero
