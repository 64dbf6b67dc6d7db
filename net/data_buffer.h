// Data buffers: fixed-size blocks of raw bytes owned by collected objects. The bytes are plain
// heap memory, so a worker thread may read or write them while the main thread holds the
// object; the object itself is created, called and collected on the main thread only.
//
// Every transfer is clamped to the buffer (and to the array or the other buffer it moves
// bytes to or from); an address outside the buffer moves nothing. Bytes read back as signed
// 8-bit values.
#pragma once

#include "runtime/gc.h"
#include "runtime/string.h"

class RtDataBuffer : public Object {
  public:
    unsigned char* _data = nullptr;
    int _length = 0;

    ~RtDataBuffer() override;

    // False if the buffer already has bytes. Otherwise takes `memory` (from malloc, freed by
    // the buffer) or allocates `length` zeroed bytes, and is true.
    bool _New(int length, void* memory = nullptr);
    void Discard();
};

class c_DataBuffer : public RtDataBuffer {
  public:
    // Raises "Allocate DataBuffer failed" when the bytes cannot be had. `direct` is ignored.
    c_DataBuffer* m_new(int length, bool direct = false);

    int p_Length();
    int p_PeekByte(int address);
    int p_PokeBytes(int address, Array<int> bytes, int offset, int count);
    int p_PeekBytes(int address, Array<int> bytes, int offset, int count);
    Array<int> p_PeekBytes2(int address, int count);
    int p_CopyBytes(int address, c_DataBuffer* destination, int destinationAddress, int count);
    // Encodes and writes the text; returns the encoded length, also when fewer bytes fit.
    int p_PokeString(int address, String text, String encoding = String("utf8"));
    String p_PeekString(int address, int count, String encoding = String("utf8"));
    String p_PeekString2(int address, String encoding = String("utf8"));

    // The number of bytes a transfer of `count` bytes at `address` moves within this buffer.
    int clampedCount(int address, int count) const;
};

namespace hexwend::net {

// Decodes bytes as UTF-8 in one- to three-byte forms; when they are not such UTF-8 (another
// lead byte, a bad continuation byte, a sequence cut off by the end) every byte is taken as
// one character of the same code instead.
String decodeUtf8OrBytes(const unsigned char* bytes, int count);

} // namespace hexwend::net
