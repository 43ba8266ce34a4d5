// The acquisition library of the desktop program: heating programs, device descriptors and the
// converter back-ends. This unit only anchors the library; each part lives in its own file.
namespace kalvero::acquisition {
const char* LibraryName() {
    return "kalvero_acquisition";
}
}  // namespace kalvero::acquisition
