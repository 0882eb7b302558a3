#pragma once
// Framing of the virtual HID bus (see docs/vhid-protocol.md): every message is a 32-bit
// little-endian length, then a type byte and its payload. Pure encoding and decoding.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vhid {

constexpr uint16_t kProtocolVersion = 1;
constexpr uint32_t kMaxMessage = 1 << 20;  // type byte + payload

enum MessageType : uint8_t {
    kHello = 0x01,     // both ways: u16 version
    kSynced = 0x02,    // server: every present node has been announced
    kOpen = 0x10,      // client: u32 request, u32 node
    kOpened = 0x11,    // server: u32 request, u32 handle (0: failed), str error
    kClose = 0x12,     // client: u32 handle
    kOutput = 0x20,    // client: u32 handle, report bytes
    kInput = 0x21,     // server: u32 handle, report bytes
    kAnnounce = 0x30,  // server: u32 node, u16 vid, u16 pid, u16 version, i16 interface,
                       //         str product, bytes descriptor
    kRemove = 0x31,    // server: u32 node
};

struct Message {
    uint8_t type = 0;
    std::vector<uint8_t> payload;
};

class Writer {
  public:
    explicit Writer(uint8_t type) {
        bytes_.assign(5, 0);
        bytes_[4] = type;
    }
    Writer& U16(uint16_t v);
    Writer& U32(uint32_t v);
    Writer& Str(const std::string& s);         // u16 length + bytes
    Writer& Blob(std::span<const uint8_t> b);  // u16 length + bytes
    Writer& Rest(std::span<const uint8_t> b);  // bytes to the end of the message
    // The framed message, length prefix included.
    std::vector<uint8_t> Finish();

  private:
    std::vector<uint8_t> bytes_;
};

// Reads fields of a payload; any read past the end sets failed and returns zeros.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> payload) : data_(payload) {}
    uint16_t U16();
    uint32_t U32();
    std::string Str();
    std::vector<uint8_t> Blob();
    std::vector<uint8_t> Rest();
    bool Failed() const { return failed_; }

  private:
    bool Take(size_t count, const uint8_t*& at);
    std::span<const uint8_t> data_;
    size_t position_ = 0;
    bool failed_ = false;
};

// Accumulates received bytes and cuts them into messages.
class FrameBuffer {
  public:
    void Append(std::span<const uint8_t> bytes);
    // The next complete message; nullopt when more bytes are needed. A length that is
    // 0 or above kMaxMessage makes the stream invalid.
    std::optional<Message> Next();
    bool Invalid() const { return invalid_; }

  private:
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
    bool invalid_ = false;
};

// Writes all bytes to a socket (MSG_NOSIGNAL); false when the peer is gone.
bool SendAll(int fd, std::span<const uint8_t> bytes);

}  // namespace vhid
