// Requests with short, missing or oversized buffers: each is refused or served within the
// buffers given. The caller's output carries guard bytes behind the length it declares; the
// sanitizer build also catches any access past the system buffer, which is allocated to size.
#include "driver_fixture.h"

namespace {

constexpr DWORD kUnsuccessful = 31;
constexpr DWORD kInvalidParameter = 87;
constexpr DWORD kBufferTooSmall = 122;
constexpr DWORD kDescriptor = sizeof(USBD_ISO_PACKET_DESCRIPTOR);

std::vector<UCHAR> Cut(std::vector<UCHAR> bytes, std::size_t length) {
    bytes.resize(length, 0);
    return bytes;
}

class BufferSafetyTest : public OpenDriverTest {};

TEST_F(BufferSafetyTest, RequestsStayWithinTheirBuffers) {
    using B = DriverTest;
    const auto vendorIn64 = B::Bytes(VendorRequestParams{rcGetOutPort, 0, 0, 0, 64, 1, 0});
    const auto vendorIn8 = B::Bytes(VendorRequestParams{rcGetOutPort, 0, 0, 0, 8, 1, 0});
    const auto vendorInHuge = B::Bytes(VendorRequestParams{rcGetOutPort, 0, 0, 0, 0xFFFF, 1, 0});
    const auto vendorOutHuge = B::Bytes(VendorRequestParams{0x70, 0, 0, 0, 0xFFFF, 0, 0});
    const auto control = B::Bytes(ControlRequestParams{1, 2, 0, 0, rcGetOutPort, 0, 0, 0});
    const auto iso = B::Bytes(IsoTransferParams{3, 8, 4, 2, 2});
    const DWORD isoOut = 4 * (8 + kDescriptor);
    const ULONG bulkOut = 1, interrupt = 2;
    const struct Case {
        const char* what;
        DWORD code;
        std::vector<UCHAR> in;
        DWORD outLength;
        DWORD error; // 0: succeeds
        DWORD maxBytes;
    } cases[] = {
        {"query interface, short output", IOCTL_USB_QUERY_INTERFACE, {}, 8, kBufferTooSmall, 0},
        {"query interface, no output", IOCTL_USB_QUERY_INTERFACE, {}, 0, kBufferTooSmall, 0},
        {"device descriptor, 17 bytes",
         IOCTL_USB_READ_DEVICE_DESCRIPTOR,
         {},
         17,
         kBufferTooSmall,
         0},
        {"device descriptor, no output",
         IOCTL_USB_READ_DEVICE_DESCRIPTOR,
         {},
         0,
         kBufferTooSmall,
         0},
        {"config descriptor, 5 bytes", IOCTL_USB_READ_CONFIG_DESCRIPTOR, {}, 5, 0, 5},
        {"config descriptor, oversized output",
         IOCTL_USB_READ_CONFIG_DESCRIPTOR,
         {},
         0x20000,
         0,
         0x20000},
        {"vendor request, 9-byte input", IOCTL_USB_VENDOR_REQUEST, Cut(vendorIn8, 9), 8,
         kInvalidParameter, 0},
        {"vendor request, no input", IOCTL_USB_VENDOR_REQUEST, {}, 8, kInvalidParameter, 0},
        {"vendor request, answer longer than the output", IOCTL_USB_VENDOR_REQUEST, vendorIn64, 8,
         kBufferTooSmall, 0},
        {"vendor request, 64K answer, 16-byte output", IOCTL_USB_VENDOR_REQUEST, vendorInHuge, 16,
         kBufferTooSmall, 0},
        {"vendor request, answer fits", IOCTL_USB_VENDOR_REQUEST, vendorIn8, 8, 0, 8},
        {"vendor request, 64K sent", IOCTL_USB_VENDOR_REQUEST, vendorOutHuge, 0, 0, 0},
        {"reset pipe, 3-byte index", IOCTL_USB_RESET_PIPE, {0, 0, 0}, 0, kInvalidParameter, 0},
        {"reset pipe, no index", IOCTL_USB_RESET_PIPE, {}, 0, kInvalidParameter, 0},
        {"abort pipe, 3-byte index", IOCTL_USB_ABORT_PIPE, {0, 0, 0}, 0, kInvalidParameter, 0},
        {"abort pipe, index far out", IOCTL_USB_ABORT_PIPE, B::Bytes(ULONG{0xFFFFFFFF}), 0,
         kInvalidParameter, 0},
        {"select interface, 1 byte", IOCTL_USB_SELECT_INTERFACE, {0}, 0, kInvalidParameter, 0},
        {"select interface, no input", IOCTL_USB_SELECT_INTERFACE, {}, 0, kInvalidParameter, 0},
        {"string, 3-byte input",
         IOCTL_USB_READ_STRING_DESCRIPTOR,
         {2, 0, 9},
         64,
         kInvalidParameter,
         0},
        {"string, no output",
         IOCTL_USB_READ_STRING_DESCRIPTOR,
         {2, 0, 9, 4},
         0,
         kInvalidParameter,
         0},
        {"string, 1-byte output", IOCTL_USB_READ_STRING_DESCRIPTOR, {2, 0, 9, 4}, 1, 0, 1},
        {"pipe read, no index", IOCTL_USB_PIPE_READ, {}, 8, kInvalidParameter, 0},
        {"pipe read, above the transfer size", IOCTL_USB_PIPE_READ, B::Bytes(interrupt), 0x10000,
         kInvalidParameter, 0},
        {"pipe write, 2-byte index", IOCTL_USB_PIPE_WRITE, {1, 0}, 8, kInvalidParameter, 0},
        {"pipe write, largest transfer", IOCTL_USB_PIPE_WRITE, B::Bytes(bulkOut), 0xFFFF, 0,
         0xFFFF},
        {"frame number, 3 bytes", IOCTL_USB_READ_FRAME_NUMBER, {}, 3, kInvalidParameter, 0},
        {"frame number, no output", IOCTL_USB_READ_FRAME_NUMBER, {}, 0, kInvalidParameter, 0},
        {"control request, 9 bytes", IOCTL_USB_CONTROL_REQUEST, Cut(control, 9), 8,
         kInvalidParameter, 0},
        {"control request, 11 bytes", IOCTL_USB_CONTROL_REQUEST, Cut(control, 11), 8,
         kInvalidParameter, 0},
        {"control request, no output", IOCTL_USB_CONTROL_REQUEST, control, 0, 0, 0},
        {"control request, 3-byte output", IOCTL_USB_CONTROL_REQUEST, control, 3, 0, 3},
        {"last status, 3 bytes", IOCTL_USB_LAST_STATUS, {}, 3, kUnsuccessful, 0},
        {"driver version, 5 bytes", IOCTL_USB_DRIVER_VERSION, {}, 5, kUnsuccessful, 0},
        {"driver version, no output", IOCTL_USB_DRIVER_VERSION, {}, 0, kUnsuccessful, 0},
        {"load RAM, 1-byte input", IOCTL_USB_LOAD_RAM, {0}, 16, 0, 0},
        {"load RAM, 3-byte input", IOCTL_USB_LOAD_RAM, {0, 0, 0}, 16, 0, 0},
        {"load RAM, no data", IOCTL_USB_LOAD_RAM, {0, 0}, 0, 0, 0},
        {"load RAM blocks, 511 bytes", IOCTL_USB_LOAD_RAM_BLOCKS, std::vector<UCHAR>(511), 0, 0, 0},
        {"iso read, 19-byte input", IOCTL_USB_ISO_READ, Cut(iso, 19), isoOut, kInvalidParameter, 0},
        {"iso read, no input", IOCTL_USB_ISO_READ, {}, isoOut, kInvalidParameter, 0},
        {"iso read, output one short", IOCTL_USB_ISO_READ, iso, isoOut - 1, kUnsuccessful, 0},
        {"iso write, 19-byte input", IOCTL_USB_ISO_WRITE, Cut(iso, 19), isoOut, kInvalidParameter,
         0},
        {"iso write, no output", IOCTL_USB_ISO_WRITE, iso, 0, kUnsuccessful, 0},
        {"stream start, 19-byte input", IOCTL_USB_START_ISO_STREAM, Cut(iso, 19), 0,
         kInvalidParameter, 0},
        {"stream start, no input", IOCTL_USB_START_ISO_STREAM, {}, 0, kInvalidParameter, 0},
        {"stream read, 19-byte input", IOCTL_USB_READ_ISO_STREAM, Cut(iso, 19), isoOut,
         kInvalidParameter, 0},
        {"stream read, 21-byte input", IOCTL_USB_READ_ISO_STREAM, Cut(iso, 21), isoOut,
         kInvalidParameter, 0},
        {"stream read, output one short", IOCTL_USB_READ_ISO_STREAM, iso, isoOut - 1,
         kInvalidParameter, 0},
        {"stream read, output one long", IOCTL_USB_READ_ISO_STREAM, iso, isoOut + 1,
         kInvalidParameter, 0},
        {"stream stop with stray input", IOCTL_USB_STOP_ISO_STREAM, {1, 2, 3}, 4, 0, 0},
        {"receiver command, 2-byte input",
         IOCTL_RECEIVER_COMMAND,
         {rcGetOutPort, 0},
         8,
         kBufferTooSmall,
         0},
    };
    const std::size_t guard = 64;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<UCHAR> out(c.outLength + guard, 0xEE);
        DWORD bytes = 0xFFFF, error = 0;
        const BOOL ok = file->Control(
            c.code, c.in.empty() ? nullptr : c.in.data(), static_cast<DWORD>(c.in.size()),
            c.outLength == 0 ? nullptr : out.data(), c.outLength, &bytes, &error);
        EXPECT_EQ(ok != FALSE, c.error == 0);
        if (c.error != 0) {
            EXPECT_EQ(error, c.error);
            EXPECT_EQ(bytes, 0u);
        } else {
            EXPECT_LE(bytes, c.maxBytes);
        }
        EXPECT_EQ(std::vector<UCHAR>(out.end() - guard, out.end()),
                  std::vector<UCHAR>(guard, 0xEE));
        EXPECT_EQ(Extension(pdo)->PendingIoCount, 1);
    }
}

} // namespace
