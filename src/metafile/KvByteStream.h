#pragma once
// A growing little-endian byte buffer: the records of both metafile
// formats are written through it, whatever the host's byte order.

#include <cstdint>
#include <cstring>
#include <vector>

namespace kv {

class TKvByteStream {
public:
    size_t Size() const { return FBytes.size(); }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }
    std::vector<uint8_t> Take() { return std::move(FBytes); }

    void U8(uint8_t V) { FBytes.push_back(V); }
    void U16(uint16_t V)
    {
        U8(static_cast<uint8_t>(V));
        U8(static_cast<uint8_t>(V >> 8));
    }
    void I16(int16_t V) { U16(static_cast<uint16_t>(V)); }
    void U32(uint32_t V)
    {
        U16(static_cast<uint16_t>(V));
        U16(static_cast<uint16_t>(V >> 16));
    }
    void I32(int32_t V) { U32(static_cast<uint32_t>(V)); }
    void F32(float V)
    {
        uint32_t Bits = 0;
        std::memcpy(&Bits, &V, sizeof Bits);
        U32(Bits);
    }
    void Zeros(size_t Count) { FBytes.insert(FBytes.end(), Count, 0); }
    void Raw(const uint8_t* Data, size_t Count) { FBytes.insert(FBytes.end(), Data, Data + Count); }
    // Pads with zeros up to a multiple of Alignment.
    void Align(size_t Alignment)
    {
        while (FBytes.size() % Alignment != 0)
            U8(0);
    }

    // Overwrites earlier bytes (sizes and counts known only at the end).
    void PatchU16(size_t At, uint16_t V)
    {
        FBytes[At] = static_cast<uint8_t>(V);
        FBytes[At + 1] = static_cast<uint8_t>(V >> 8);
    }
    void PatchU32(size_t At, uint32_t V)
    {
        PatchU16(At, static_cast<uint16_t>(V));
        PatchU16(At + 2, static_cast<uint16_t>(V >> 16));
    }

private:
    std::vector<uint8_t> FBytes;
};

// Reading back, for the tests and for checks of a written picture.
inline uint16_t ReadU16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }
inline uint32_t ReadU32(const uint8_t* P) { return ReadU16(P) | (static_cast<uint32_t>(ReadU16(P + 2)) << 16); }
inline int32_t ReadI32(const uint8_t* P) { return static_cast<int32_t>(ReadU32(P)); }
inline int16_t ReadI16(const uint8_t* P) { return static_cast<int16_t>(ReadU16(P)); }

} // namespace kv
