#include "hid/vhid_protocol.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace vhid {

Writer& Writer::U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

Writer& Writer::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
}

Writer& Writer::Str(const std::string& s) {
    const size_t n = std::min<size_t>(s.size(), 0xFFFF);
    U16(static_cast<uint16_t>(n));
    bytes_.insert(bytes_.end(), s.begin(), s.begin() + static_cast<long>(n));
    return *this;
}

Writer& Writer::Blob(std::span<const uint8_t> b) {
    const size_t n = std::min<size_t>(b.size(), 0xFFFF);
    U16(static_cast<uint16_t>(n));
    bytes_.insert(bytes_.end(), b.begin(), b.begin() + static_cast<long>(n));
    return *this;
}

Writer& Writer::Rest(std::span<const uint8_t> b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
}

std::vector<uint8_t> Writer::Finish() {
    const auto length = static_cast<uint32_t>(bytes_.size() - 4);
    for (int i = 0; i < 4; ++i) bytes_[i] = static_cast<uint8_t>(length >> (8 * i));
    return std::move(bytes_);
}

bool Reader::Take(size_t count, const uint8_t*& at) {
    if (failed_ || data_.size() - position_ < count) {
        failed_ = true;
        return false;
    }
    at = data_.data() + position_;
    position_ += count;
    return true;
}

uint16_t Reader::U16() {
    const uint8_t* at = nullptr;
    if (!Take(2, at)) return 0;
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t Reader::U32() {
    const uint8_t* at = nullptr;
    if (!Take(4, at)) return 0;
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

std::string Reader::Str() {
    const uint16_t n = U16();
    const uint8_t* at = nullptr;
    if (!Take(n, at)) return {};
    return std::string(reinterpret_cast<const char*>(at), n);
}

std::vector<uint8_t> Reader::Blob() {
    const uint16_t n = U16();
    const uint8_t* at = nullptr;
    if (!Take(n, at)) return {};
    return std::vector<uint8_t>(at, at + n);
}

std::vector<uint8_t> Reader::Rest() {
    if (failed_) return {};
    std::vector<uint8_t> rest(data_.begin() + static_cast<long>(position_), data_.end());
    position_ = data_.size();
    return rest;
}

void FrameBuffer::Append(std::span<const uint8_t> bytes) {
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<Message> FrameBuffer::Next() {
    if (invalid_) return std::nullopt;
    const size_t available = buffer_.size() - start_;
    if (available < 4) return std::nullopt;
    const uint8_t* at = buffer_.data() + start_;
    const uint32_t length = static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
                            (static_cast<uint32_t>(at[2]) << 16) |
                            (static_cast<uint32_t>(at[3]) << 24);
    if (length == 0 || length > kMaxMessage) {
        invalid_ = true;
        return std::nullopt;
    }
    if (available < 4 + static_cast<size_t>(length)) return std::nullopt;
    Message message;
    message.type = at[4];
    message.payload.assign(at + 5, at + 4 + length);
    start_ += 4 + length;
    if (start_ > 65536 && start_ * 2 > buffer_.size()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(start_));
        start_ = 0;
    }
    return message;
}

bool SendAll(int fd, std::span<const uint8_t> bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace vhid
