#pragma once
// The descriptor of the USB modules driven through the uni-driver library (interface types
// "USB UNI 12bit " and "USB UNI 24bit "): connection, converter set-up, buffer reads and the
// instrument's digital port. Driver calls are serialised by a busy flag, except the buffer wait,
// which only sleeps on the driver's event: a stop from the user-interface thread must be able
// to end it.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/DeviceDescriptor.h"
#include "acquisition/UniDriverApi.h"

namespace kalvero {

struct TUniDriverLibrary;

class TUniUsbDeviceDescriptor : public TBaseDeviceDescriptor {
public:
    // Validates the settings; any interface type but the two uni-driver ones is refused with
    // "Incorrect device type for uni driver".
    explicit TUniUsbDeviceDescriptor(const TAppConfig& aConfig);
    ~TUniUsbDeviceDescriptor() override;

    // Whether the module answers (a handle of its own, connected and closed again).
    bool IsDevicePresent() override;
    // Connects and sets the converter up; EDeviceConfigException on failure (handle closed). Run-time
    // failures (EDeviceException) leave the handle open so the heater can still be switched off.
    void Init() override;
    // Releases the busy flag and closes the handle.
    void DeInit() override;
    // EDeviceException "UniDriverStart: …" / "UniDriverStop: …". Stopping a module that is not
    // connected does nothing.
    void StartADC() override;
    void StopADC() override;

    // Waits until a buffer is ready (GetDeviceTimeout ms); EDeviceException "Execute: …".
    void LVGetUInt();
    // Reads up to one buffer (GetBufferSize samples) into aBuffer, which is made large enough;
    // aReceived: how many samples came. EDeviceException "UniDriverLVGetDataInt: …".
    void LVGetDataInt(uint32_t& aReceived, TIntegers& aBuffer);
    // Writes the port (bit order reversed on the wire). Duration 0 sets a steady level; otherwise
    // the byte is held aDuration ms of run time and the steady level written back. Every write is
    // checked: EDeviceException "UniDriverInit: …".
    void DigitalPortOut(uint8_t aDataByte, uint16_t aDuration = 0);
    uint8_t DigitalPortRead();

    static uint8_t ReverseBits(uint8_t aByte);
    float GetActualFreq() const { return fActualFreq; }
    uint8_t GetPortOutByte() const { return fPortOutByte; }
    const std::string& GetDeviceName() const { return fDeviceName; }
    bool IsConnected() const { return fConnected; }
    // How port pulses wait (run time); a plain sleep by default.
    void SetSleep(std::function<void(double)> aSleep) { fSleep = std::move(aSleep); }

private:
    class TBusy;
    const TUniDriverLibrary& Library() const;
    void Connect();
    void CloseHandle();
    std::string ErrorText(unidriver::U32 aStatus) const;
    template <class E>
    [[noreturn]] void Fail(const std::string& aPrefix, unidriver::U32 aStatus);
    void PortIO(unidriver::RshInitPort& aRecord);
    void FillInitRecord(unidriver::RshInitADC& aRecord);

    unidriver::U32 fDeviceHandle = 0;
    std::atomic<bool> fConnected{false};
    // A failing run closes the connection on the scan thread while the operator's stop may be
    // stopping the converter: the two never overlap, so the stop never uses a closed handle.
    std::mutex fHandleLock;
    std::atomic<bool> fBusyFlag{false};
    float fActualFreq = 0;
    uint8_t fPortOutByte = 0;
    std::vector<int32_t> dataBufferInt;
    std::vector<int16_t> dataBufferShort;
    std::string fDeviceName;
    bool fTwentyFour = false;
    uint16_t fDecimation = 0;
    std::function<void(double)> fSleep;
};

}  // namespace kalvero
