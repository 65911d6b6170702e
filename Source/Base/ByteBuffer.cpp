#include "ByteBuffer.h"

#include "Utilities.h"

#include <cstdlib>
#include <cstring>

void ByteBufferInit(ByteBuffer *buffer, int32_t initialCapacity)
{
    if (initialCapacity < 1)
        initialCapacity = 1;
    buffer->data = static_cast<uint8_t *>(std::malloc(size_t(initialCapacity)));
    buffer->capacity = buffer->data ? initialCapacity : 0;
    buffer->length = 0;
}

void ByteBufferDispose(ByteBuffer *buffer)
{
    std::free(buffer->data);
    buffer->data = nullptr;
    buffer->capacity = 0;
    buffer->length = 0;
}

bool ByteBufferAppendBytes(ByteBuffer *buffer, const void *bytes, int32_t count)
{
    return appendToBufferAndReallocIfNecessary(&buffer->data, &buffer->capacity, &buffer->length, count, bytes);
}

bool ByteBufferAppendZeros(ByteBuffer *buffer, int32_t count)
{
    return ByteBufferAppendBytes(buffer, nullptr, count);
}

bool ByteBufferAppendUInt8(ByteBuffer *buffer, uint8_t value)
{
    return ByteBufferAppendBytes(buffer, &value, 1);
}

bool ByteBufferAppendInt16(ByteBuffer *buffer, int16_t value)
{
    uint16_t v = uint16_t(value);
    uint8_t bytes[2] = {uint8_t(v >> 8), uint8_t(v)};
    return ByteBufferAppendBytes(buffer, bytes, 2);
}

bool ByteBufferAppendUInt32(ByteBuffer *buffer, uint32_t v)
{
    uint8_t bytes[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    return ByteBufferAppendBytes(buffer, bytes, 4);
}

bool ByteBufferAppendInt32(ByteBuffer *buffer, int32_t value)
{
    return ByteBufferAppendUInt32(buffer, uint32_t(value));
}

bool ByteBufferAppendFloat(ByteBuffer *buffer, float value)
{
    uint32_t v;
    std::memcpy(&v, &value, 4);
    return ByteBufferAppendUInt32(buffer, v);
}

bool ByteBufferAppendDouble(ByteBuffer *buffer, double value)
{
    uint64_t v;
    std::memcpy(&v, &value, 8);
    uint8_t bytes[8];
    for (int i = 0; i < 8; i++)
        bytes[i] = uint8_t(v >> (56 - 8 * i));
    return ByteBufferAppendBytes(buffer, bytes, 8);
}

bool ByteBufferAppendFlag32(ByteBuffer *buffer, bool value)
{
    uint8_t bytes[4] = {uint8_t(value ? 1 : 0), 0, 0, 0};
    return ByteBufferAppendBytes(buffer, bytes, 4);
}

bool ByteBufferPutInt32(ByteBuffer *buffer, int32_t offset, int32_t value)
{
    if (offset < 0 || int64_t(offset) + 4 > buffer->length)
        return false;
    uint32_t v = uint32_t(value);
    buffer->data[offset] = uint8_t(v >> 24);
    buffer->data[offset + 1] = uint8_t(v >> 16);
    buffer->data[offset + 2] = uint8_t(v >> 8);
    buffer->data[offset + 3] = uint8_t(v);
    return true;
}

// Decodes n big-endian bytes when they are there; otherwise the foundation's
// reader reports the end of the buffer.
template <typename T> static bool ReadBigEndian(const uint8_t *data, int32_t size, int32_t *position, T *out)
{
    constexpr int32_t n = int32_t(sizeof(T));
    if (*position < 0 || *position > size - n)
        return readBytesFromMemoryBlock(data, size, position, n, n, out);
    const uint8_t *from = data + *position;
    uint64_t value = 0;
    for (int32_t i = 0; i < n; i++)
        value = (value << 8) | from[i];
    if constexpr (n == 1) {
        uint8_t v = uint8_t(value);
        std::memcpy(out, &v, 1);
    } else if constexpr (n == 2) {
        uint16_t v = uint16_t(value);
        std::memcpy(out, &v, 2);
    } else if constexpr (n == 4) {
        uint32_t v = uint32_t(value);
        std::memcpy(out, &v, 4);
    } else {
        std::memcpy(out, &value, 8);
    }
    *position += n;
    return true;
}

bool ReadUInt8(const uint8_t *data, int32_t size, int32_t *position, uint8_t *out)
{
    return ReadBigEndian(data, size, position, out);
}

bool ReadInt16(const uint8_t *data, int32_t size, int32_t *position, int16_t *out)
{
    return ReadBigEndian(data, size, position, out);
}

bool ReadInt32(const uint8_t *data, int32_t size, int32_t *position, int32_t *out)
{
    return ReadBigEndian(data, size, position, out);
}

bool ReadUInt32(const uint8_t *data, int32_t size, int32_t *position, uint32_t *out)
{
    return ReadBigEndian(data, size, position, out);
}

bool ReadFloat(const uint8_t *data, int32_t size, int32_t *position, float *out)
{
    static_assert(sizeof(float) == 4);
    return ReadBigEndian(data, size, position, out);
}

bool ReadDouble(const uint8_t *data, int32_t size, int32_t *position, double *out)
{
    static_assert(sizeof(double) == 8);
    return ReadBigEndian(data, size, position, out);
}

bool ReadFlag32(const uint8_t *data, int32_t size, int32_t *position, bool *out)
{
    uint8_t bytes[4];
    if (!readBytesFromMemoryBlock(data, size, position, 4, 1, bytes))
        return false;
    *out = bytes[0] != 0;
    return true;
}

bool SkipBytes(const uint8_t *data, int32_t size, int32_t *position, int32_t count)
{
    return readBytesFromMemoryBlock(data, size, position, count, 1, nullptr);
}

int32_t BytesRemaining(int32_t size, int32_t position)
{
    if (position < 0 || position >= size)
        return 0;
    return size - position;
}

bool CheckBytesRemain(const uint8_t *data, int32_t size, int32_t position, int64_t needed)
{
    if (needed < 0)
        return false;
    int32_t probe = position;
    int32_t count = needed > int64_t(INT32_MAX) ? INT32_MAX : int32_t(needed);
    return readBytesFromMemoryBlock(data, size, &probe, count, 1, nullptr);
}
