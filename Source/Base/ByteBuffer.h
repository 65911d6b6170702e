// Big-endian writing into a growable byte buffer and big-endian reading from
// a block of memory: the primitives of the level-set file's records.
#pragma once

#include <cstdint>

// A growable buffer; grows through appendToBufferAndReallocIfNecessary.
struct ByteBuffer {
    uint8_t *data;
    int32_t capacity;
    int32_t length;
};

// An empty buffer with room for initialCapacity bytes.
void ByteBufferInit(ByteBuffer *buffer, int32_t initialCapacity);
void ByteBufferDispose(ByteBuffer *buffer);

// Each append returns false, changing nothing, when the buffer cannot grow.
bool ByteBufferAppendBytes(ByteBuffer *buffer, const void *bytes, int32_t count);
bool ByteBufferAppendZeros(ByteBuffer *buffer, int32_t count);
bool ByteBufferAppendUInt8(ByteBuffer *buffer, uint8_t value);
bool ByteBufferAppendInt16(ByteBuffer *buffer, int16_t value);
bool ByteBufferAppendInt32(ByteBuffer *buffer, int32_t value);
bool ByteBufferAppendUInt32(ByteBuffer *buffer, uint32_t value);
bool ByteBufferAppendFloat(ByteBuffer *buffer, float value);
bool ByteBufferAppendDouble(ByteBuffer *buffer, double value);
// A flag in a 4-byte field: 0 or 1 in the first byte, three zero bytes.
bool ByteBufferAppendFlag32(ByteBuffer *buffer, bool value);
// Overwrites four bytes at offset (which must lie inside the buffer).
bool ByteBufferPutInt32(ByteBuffer *buffer, int32_t offset, int32_t value);

// Readers over (data, size) at *position, through readBytesFromMemoryBlock:
// false, with the end-of-buffer message, when too few bytes remain.
bool ReadUInt8(const uint8_t *data, int32_t size, int32_t *position, uint8_t *out);
bool ReadInt16(const uint8_t *data, int32_t size, int32_t *position, int16_t *out);
bool ReadInt32(const uint8_t *data, int32_t size, int32_t *position, int32_t *out);
bool ReadUInt32(const uint8_t *data, int32_t size, int32_t *position, uint32_t *out);
bool ReadFloat(const uint8_t *data, int32_t size, int32_t *position, float *out);
bool ReadDouble(const uint8_t *data, int32_t size, int32_t *position, double *out);
// A 4-byte flag field read as four single bytes; the first one decides.
bool ReadFlag32(const uint8_t *data, int32_t size, int32_t *position, bool *out);
bool SkipBytes(const uint8_t *data, int32_t size, int32_t *position, int32_t count);
// Whether at least needed bytes remain after position; when not, reports the
// end of the buffer as a read running past it would.
bool CheckBytesRemain(const uint8_t *data, int32_t size, int32_t position, int64_t needed);
// Bytes left after *position (0 when the position is past the end).
int32_t BytesRemaining(int32_t size, int32_t position);
