// Reed-Solomon error correction of the 255-byte code words that 2007 files store their header and
// pages in: byte k of a code word is the coefficient of x^k, the data bytes come first and the
// parity bytes last, and the generator's roots are alpha^1 .. alpha^parity.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvo::dwg {

class DwgReedSolomon
{
public:
    static constexpr size_t kCodewordSize = 255;

    // fieldPolynomial: the primitive polynomial of GF(256) (0x169 for the file header and system
    // pages, 0x11D for data pages); parityBytes: 16 or 4.
    DwgReedSolomon(unsigned fieldPolynomial, size_t parityBytes);

    // Corrects up to parityBytes / 2 wrong bytes of the code word in place. False, with the code
    // word left as it was, when it holds more errors than that.
    bool Correct(uint8_t* codeword) const;
    // Whether each of up to kLanes code words interleaved in memory (byte k of word l at
    // first[l + k * stride]) is whole, needing no correction. Nearly every word of a file is,
    // and checking several side by side keeps the processor busy where one check waits on itself.
    static constexpr size_t kLanes = 4;
    void Whole(const uint8_t* first, size_t stride, size_t lanes, bool* whole) const;

private:
    static constexpr size_t kMaxParity = 16;
    using Poly = std::array<uint8_t, kMaxParity + 1>;

    uint8_t Mul(uint8_t a, uint8_t b) const;
    uint8_t Div(uint8_t a, uint8_t b) const;
    uint8_t Power(size_t exponent) const { return m_exp[exponent % kCodewordSize]; }
    bool Syndromes(const uint8_t* codeword, Poly& syndromes) const;
    bool Divisible(const uint8_t* codeword) const;
    template <bool Wide> void DivisibleLanes(const uint8_t* first, size_t stride, bool* whole) const;
    void DivisibleLanes32(const uint8_t* first, size_t stride, bool* whole) const;
    size_t Locator(const Poly& syndromes, Poly& locator) const;
    uint8_t Evaluate(const Poly& poly, size_t degree, uint8_t x) const;
    uint8_t Magnitude(const Poly& syndromes, const Poly& locator, size_t degree, uint8_t inverse) const;

    std::array<uint8_t, kCodewordSize> m_exp{};
    std::array<uint8_t, 256> m_log{};
    size_t m_parity;
    // The remainder of a code word by the generator, parity bytes packed little end first into
    // two words: byte i of the remainder is the coefficient of x^i. m_reduce[t] is what x^parity
    // times t leaves, so one step of the division is a shift, a look-up and an exclusive or.
    std::array<uint64_t, 256> m_reduceLow{};
    std::array<uint64_t, 256> m_reduceHigh{};
    std::array<uint32_t, 256> m_reduce32{}; // m_reduceLow's low word, for four parity bytes
};

} // namespace orvo::dwg
