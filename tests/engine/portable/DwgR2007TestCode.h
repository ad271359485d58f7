// Test helpers for 2007 files: a Reed-Solomon encoder of the format's two codes and the
// interleaved file header's data bytes, read and stored back with fresh parity.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvo::test2007 {

// GF(256) arithmetic and a systematic encoder for the tests: byte k of a code word is the
// coefficient of x^k, data first; parity = data(x) * x^parity mod g(x), g's roots alpha^1..^parity.
class TestCode
{
public:
    TestCode(unsigned polynomial, size_t parity) : m_parity(parity)
    {
        unsigned x = 1;
        for (size_t i = 0; i < 255; ++i) {
            m_exp[i] = static_cast<uint8_t>(x);
            m_log[x] = static_cast<uint8_t>(i);
            x = (x << 1) ^ ((x & 0x80) != 0 ? polynomial : 0);
        }
        m_generator.assign(1, 1);
        for (size_t j = 1; j <= parity; ++j) {
            std::vector<uint8_t> next(m_generator.size() + 1, 0);
            for (size_t i = 0; i < m_generator.size(); ++i) {
                next[i + 1] ^= m_generator[i];
                next[i] ^= Mul(m_generator[i], m_exp[j]);
            }
            m_generator = next;
        }
    }
    std::vector<uint8_t> Encode(const std::vector<uint8_t>& data) const
    {
        std::vector<uint8_t> remainder(data.size() + m_parity, 0);
        std::copy(data.begin(), data.end(), remainder.begin() + static_cast<std::ptrdiff_t>(m_parity));
        for (size_t i = remainder.size(); i-- > m_parity;) {
            const uint8_t factor = remainder[i];
            for (size_t k = 0; k <= m_parity; ++k)
                remainder[i - m_parity + k] ^= Mul(factor, m_generator[k]);
        }
        std::vector<uint8_t> codeword = data;
        codeword.insert(codeword.end(), remainder.begin(), remainder.begin() + static_cast<std::ptrdiff_t>(m_parity));
        return codeword;
    }

private:
    uint8_t Mul(uint8_t a, uint8_t b) const
    {
        return a == 0 || b == 0 ? 0 : m_exp[(m_log[a] + m_log[b]) % 255];
    }
    size_t m_parity;
    uint8_t m_exp[255] = {};
    uint8_t m_log[256] = {};
    std::vector<uint8_t> m_generator;
};

constexpr size_t kHeaderOffset = 0x80;
constexpr size_t kHeaderBlocks = 3;
constexpr size_t kHeaderBlockData = 239;

// The coded header's data bytes, block after block (byte j of block i lies at i + 3 * j).
inline std::vector<uint8_t> HeaderData(const std::vector<uint8_t>& file)
{
    std::vector<uint8_t> data(kHeaderBlocks * kHeaderBlockData);
    for (size_t k = 0; k < data.size(); ++k)
        data[k] = file[kHeaderOffset + k / kHeaderBlockData + (k % kHeaderBlockData) * kHeaderBlocks];
    return data;
}

// Stores the data bytes back with fresh parity bytes.
inline void StoreHeaderData(const std::vector<uint8_t>& data, std::vector<uint8_t>& file)
{
    const TestCode code(0x169, 16);
    for (size_t block = 0; block < kHeaderBlocks; ++block) {
        const auto first = data.begin() + static_cast<std::ptrdiff_t>(block * kHeaderBlockData);
        const std::vector<uint8_t> word = code.Encode(std::vector<uint8_t>(first, first + kHeaderBlockData));
        for (size_t j = 0; j < word.size(); ++j)
            file[kHeaderOffset + block + j * kHeaderBlocks] = word[j];
    }
}

} // namespace orvo::test2007
