// KFileBuffer: a byte block on the C heap that holds a whole file in memory, with a read cursor.
#pragma once

#include <cstdint>

class KFileBuffer
{
public:
    // Files larger than this are not read into memory.
    static constexpr uint32_t kMaxFileBytes = 512u * 1024u * 1024u;

    KFileBuffer() = default;
    ~KFileBuffer() { Free(); }
    KFileBuffer(const KFileBuffer&) = delete;
    KFileBuffer& operator=(const KFileBuffer&) = delete;

    // Replaces the block by a new one of size bytes; 0 or no memory gives false and an empty buffer.
    bool Allocate(uint32_t size);
    void Free();
    // Free, then the whole file; false when it cannot be opened or read, or is too large.
    bool LoadFile(const char* path);
    // The same, but the block already held is kept when the file fits in it (and it is at most
    // kMaxKeptBytes): for a reader going through file after file, the fresh memory each new block
    // takes costs several times the read itself.
    bool ReloadFile(const char* path);
    // Frees a block larger than kMaxKeptBytes, so a reader that keeps its buffer does not hold
    // on to one of a very large file.
    void TrimKept();

    static constexpr uint32_t kMaxKeptBytes = 64u * 1024u * 1024u;

    uint8_t* GetData() const { return m_data; }
    uint8_t* GetCursor() const { return m_cursor; }
    uint32_t GetSize() const { return m_size; }
    bool IsEmpty() const { return m_data == nullptr; }

private:
    uint8_t* m_data = nullptr;
    uint8_t* m_cursor = nullptr;
    uint32_t m_size = 0;
    uint32_t m_reserved = 0; // the block's own size (m_size is what it holds)
};
