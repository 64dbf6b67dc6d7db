#include "net/data_buffer.h"

#include "runtime/errors.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum class Encoding { Utf8, Ascii };

Encoding encodingOf(const String& name) {
    if (name == String("utf8")) return Encoding::Utf8;
    if (name == String("ascii")) return Encoding::Ascii;
    rtError(String("Invalid string encoding:") + name);
}

// The number of elements a transfer may use of an array from `offset` on.
int arrayRoom(const Array<int>& bytes, int offset) {
    return offset < 0 || offset > bytes.Length() ? 0 : bytes.Length() - offset;
}

// Appends the one to three UTF-8 bytes of a 16-bit character; returns how many.
int encodeUtf8(int c, unsigned char out[3]) {
    c &= 0xFFFF;
    if (c < 0x80) {
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 2;
    }
    out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 3;
}

} // namespace

namespace hexwend::net {

String decodeUtf8OrBytes(const unsigned char* bytes, int count) {
    if (count <= 0) return String();
    std::u16string chars;
    chars.reserve(static_cast<size_t>(count));
    auto continuation = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    int i = 0;
    while (i < count) {
        const unsigned char b = bytes[i];
        if (b < 0x80) {
            chars.push_back(b);
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < count && continuation(bytes[i + 1])) {
            chars.push_back(static_cast<char16_t>(((b & 0x1F) << 6) | (bytes[i + 1] & 0x3F)));
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && i + 2 < count && continuation(bytes[i + 1]) &&
                   continuation(bytes[i + 2])) {
            chars.push_back(static_cast<char16_t>(((b & 0x0F) << 12) |
                                                  ((bytes[i + 1] & 0x3F) << 6) |
                                                  (bytes[i + 2] & 0x3F)));
            i += 3;
        } else {
            chars.assign(bytes, bytes + count); // not UTF-8 after all: one character a byte
            break;
        }
    }
    return String(chars.data(), static_cast<int>(chars.size()));
}

} // namespace hexwend::net

// --- RtDataBuffer ------------------------------------------------------------------------

RtDataBuffer::~RtDataBuffer() {
    Discard();
}

bool RtDataBuffer::_New(int length, void* memory) {
    if (_data) return false;
    if (length < 0) return false;
    if (memory) {
        _data = static_cast<unsigned char*>(memory);
    } else if (length > 0) {
        _data = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(length), 1));
        if (!_data) return false;
    }
    _length = length;
    // The bytes live outside the collector; counting them brings the next sweep forward, so
    // buffers that became garbage do not pile up between sweeps.
    gc_ext_malloced(length);
    return true;
}

void RtDataBuffer::Discard() {
    std::free(_data);
    _data = nullptr;
    _length = 0;
}

// --- c_DataBuffer ------------------------------------------------------------------------

c_DataBuffer* c_DataBuffer::m_new(int length, bool /*direct*/) {
    if (!_New(length)) rtError(String("Allocate DataBuffer failed"));
    return this;
}

int c_DataBuffer::clampedCount(int address, int count) const {
    if (address < 0 || address > _length || count <= 0) return 0;
    return std::min(count, _length - address);
}

int c_DataBuffer::p_Length() {
    return _length;
}

int c_DataBuffer::p_PeekByte(int address) {
    if (address < 0 || address >= _length) return 0;
    return static_cast<signed char>(_data[address]);
}

int c_DataBuffer::p_PokeBytes(int address, Array<int> bytes, int offset, int count) {
    const int n = std::min(clampedCount(address, count), arrayRoom(bytes, offset));
    for (int i = 0; i < n; ++i) _data[address + i] = static_cast<unsigned char>(bytes[offset + i]);
    return 0;
}

int c_DataBuffer::p_PeekBytes(int address, Array<int> bytes, int offset, int count) {
    const int n = std::min(clampedCount(address, count), arrayRoom(bytes, offset));
    for (int i = 0; i < n; ++i) bytes[offset + i] = static_cast<signed char>(_data[address + i]);
    return 0;
}

Array<int> c_DataBuffer::p_PeekBytes2(int address, int count) {
    const int n = clampedCount(address, count);
    Array<int> bytes(n);
    for (int i = 0; i < n; ++i) bytes[i] = static_cast<signed char>(_data[address + i]);
    return bytes;
}

int c_DataBuffer::p_CopyBytes(int address, c_DataBuffer* destination, int destinationAddress,
                              int count) {
    if (!destination) return 0;
    const int n = std::min(clampedCount(address, count),
                           destination->clampedCount(destinationAddress, count));
    // memmove copies forward or backward as the overlap needs, within one buffer too.
    if (n > 0) std::memmove(destination->_data + destinationAddress, _data + address, size_t(n));
    return 0;
}

int c_DataBuffer::p_PokeString(int address, String text, String encoding) {
    const Encoding e = encodingOf(encoding);
    const int room = clampedCount(address, _length);
    if (e == Encoding::Ascii) {
        const int n = std::min(room, text.Length());
        for (int i = 0; i < n; ++i) _data[address + i] = static_cast<unsigned char>(text[i]);
        return text.Length();
    }
    int total = 0;
    unsigned char encoded[3];
    for (int i = 0; i < text.Length(); ++i) {
        const int k = encodeUtf8(text[i], encoded);
        for (int j = 0; j < k; ++j, ++total) {
            if (total < room) _data[address + total] = encoded[j];
        }
    }
    return total;
}

String c_DataBuffer::p_PeekString(int address, int count, String encoding) {
    const Encoding e = encodingOf(encoding);
    const int n = clampedCount(address, count);
    if (n == 0) return String();
    const unsigned char* bytes = _data + address;
    if (e == Encoding::Utf8) return hexwend::net::decodeUtf8OrBytes(bytes, n);
    std::u16string chars(bytes, bytes + n);
    return String(chars.data(), n);
}

String c_DataBuffer::p_PeekString2(int address, String encoding) {
    return p_PeekString(address, _length - address, encoding);
}
