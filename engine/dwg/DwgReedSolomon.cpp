#include "engine/dwg/DwgReedSolomon.h"

#include <algorithm>

namespace orvo::dwg {

DwgReedSolomon::DwgReedSolomon(unsigned fieldPolynomial, size_t parityBytes)
    : m_parity(std::min(parityBytes, kMaxParity))
{
    unsigned x = 1;
    for (size_t i = 0; i < kCodewordSize; ++i) {
        m_exp[i] = static_cast<uint8_t>(x);
        m_log[x] = static_cast<uint8_t>(i);
        x <<= 1;
        if ((x & 0x100) != 0)
            x ^= fieldPolynomial;
    }
    // The generator (x + alpha^1) ... (x + alpha^parity), lowest coefficient first.
    Poly generator{};
    generator[0] = 1;
    for (size_t j = 1; j <= m_parity; ++j) {
        const uint8_t root = Power(j);
        for (size_t i = j; i > 0; --i)
            generator[i] = static_cast<uint8_t>(generator[i - 1] ^ Mul(generator[i], root));
        generator[0] = Mul(generator[0], root);
    }
    // x^parity = the generator's lower terms (in characteristic two, minus is plus).
    for (unsigned top = 0; top < 256; ++top)
        for (size_t i = 0; i < m_parity; ++i) {
            const uint64_t term = static_cast<uint64_t>(Mul(static_cast<uint8_t>(top), generator[i])) << (8 * (i % 8));
            (i < 8 ? m_reduceLow : m_reduceHigh)[top] ^= term;
        }
    for (unsigned top = 0; top < 256; ++top)
        m_reduce32[top] = static_cast<uint32_t>(m_reduceLow[top]);
}

// Every byte of a 2007 file's pages goes through this check, and nearly every code word passes it,
// so it divides by the generator a byte at a time instead of evaluating each syndrome.
bool DwgReedSolomon::Divisible(const uint8_t* codeword) const
{
    const unsigned topShift = static_cast<unsigned>(8 * ((m_parity - 1) % 8));
    if (m_parity <= 8) {
        const uint64_t mask = ~uint64_t{0} >> (8 * (8 - m_parity));
        uint64_t low = 0;
        for (size_t k = kCodewordSize; k-- > 0;)
            low = ((low << 8) & mask) ^ codeword[k] ^ m_reduceLow[(low >> topShift) & 0xFF];
        return low == 0;
    }
    const uint64_t highMask = ~uint64_t{0} >> (8 * (16 - m_parity));
    uint64_t low = 0, high = 0;
    for (size_t k = kCodewordSize; k-- > 0;) {
        const size_t top = static_cast<size_t>((high >> topShift) & 0xFF);
        high = (((high << 8) | (low >> 56)) & highMask) ^ m_reduceHigh[top];
        low = (low << 8) ^ codeword[k] ^ m_reduceLow[top];
    }
    return low == 0 && high == 0;
}

// Divisible for kLanes words at once; Wide: more than eight parity bytes.
template <bool Wide>
void DwgReedSolomon::DivisibleLanes(const uint8_t* first, size_t stride, bool* whole) const
{
    const unsigned topShift = static_cast<unsigned>(8 * ((m_parity - 1) % 8));
    const uint64_t lowMask = Wide ? ~uint64_t{0} : ~uint64_t{0} >> (8 * (8 - m_parity));
    const uint64_t highMask = Wide ? ~uint64_t{0} >> (8 * (16 - m_parity)) : 0;
    uint64_t low[kLanes] = {}, high[kLanes] = {};
    for (size_t k = kCodewordSize; k-- > 0;) {
        const uint8_t* bytes = first + k * stride;
        for (size_t l = 0; l < kLanes; ++l) {
            if (Wide) {
                const size_t top = static_cast<size_t>((high[l] >> topShift) & 0xFF);
                high[l] = (((high[l] << 8) | (low[l] >> 56)) & highMask) ^ m_reduceHigh[top];
                low[l] = (low[l] << 8) ^ bytes[l] ^ m_reduceLow[top];
            } else {
                low[l] = ((low[l] << 8) & lowMask) ^ bytes[l] ^ m_reduceLow[(low[l] >> topShift) & 0xFF];
            }
        }
    }
    for (size_t l = 0; l < kLanes; ++l)
        whole[l] = low[l] == 0 && high[l] == 0;
}

// The same for four parity bytes (the data pages' code): the remainder is exactly one 32-bit word,
// so the shift itself drops the byte that leaves it and no mask is needed.
void DwgReedSolomon::DivisibleLanes32(const uint8_t* first, size_t stride, bool* whole) const
{
    uint32_t remainder[kLanes] = {};
    for (size_t k = kCodewordSize; k-- > 0;) {
        const uint8_t* bytes = first + k * stride;
        for (size_t l = 0; l < kLanes; ++l)
            remainder[l] = (remainder[l] << 8) ^ bytes[l] ^ m_reduce32[remainder[l] >> 24];
    }
    for (size_t l = 0; l < kLanes; ++l)
        whole[l] = remainder[l] == 0;
}

void DwgReedSolomon::Whole(const uint8_t* first, size_t stride, size_t lanes, bool* whole) const
{
    if (m_parity == 0) {
        std::fill(whole, whole + lanes, true);
        return;
    }
    if (lanes < kLanes) {
        uint8_t word[kCodewordSize];
        for (size_t l = 0; l < lanes; ++l) {
            for (size_t k = 0; k < kCodewordSize; ++k)
                word[k] = first[l + k * stride];
            whole[l] = Divisible(word);
        }
        return;
    }
    if (m_parity == 4)
        DivisibleLanes32(first, stride, whole);
    else if (m_parity <= 8)
        DivisibleLanes<false>(first, stride, whole);
    else
        DivisibleLanes<true>(first, stride, whole);
}

uint8_t DwgReedSolomon::Mul(uint8_t a, uint8_t b) const
{
    if (a == 0 || b == 0)
        return 0;
    return Power(static_cast<size_t>(m_log[a]) + m_log[b]);
}

uint8_t DwgReedSolomon::Div(uint8_t a, uint8_t b) const
{
    if (a == 0 || b == 0)
        return 0;
    return Power(static_cast<size_t>(m_log[a]) + kCodewordSize - m_log[b]);
}

// S_j = c(alpha^j) for j = 1 .. parity, stored from index 0; true when all are zero.
bool DwgReedSolomon::Syndromes(const uint8_t* codeword, Poly& syndromes) const
{
    bool clean = true;
    for (size_t j = 0; j < m_parity; ++j) {
        const uint8_t root = Power(j + 1);
        uint8_t sum = 0;
        for (size_t k = kCodewordSize; k-- > 0;)
            sum = static_cast<uint8_t>(Mul(sum, root) ^ codeword[k]);
        syndromes[j] = sum;
        clean = clean && sum == 0;
    }
    return clean;
}

// Berlekamp-Massey: the error locator polynomial; returns its degree (the number of errors).
size_t DwgReedSolomon::Locator(const Poly& syndromes, Poly& locator) const
{
    Poly previous{};
    locator = Poly{};
    locator[0] = previous[0] = 1;
    size_t degree = 0, shift = 1;
    uint8_t lastDiscrepancy = 1;
    for (size_t n = 0; n < m_parity; ++n) {
        uint8_t discrepancy = syndromes[n];
        for (size_t i = 1; i <= degree; ++i)
            discrepancy ^= Mul(locator[i], syndromes[n - i]);
        if (discrepancy == 0) {
            ++shift;
            continue;
        }
        const Poly before = locator;
        const uint8_t scale = Div(discrepancy, lastDiscrepancy);
        for (size_t i = 0; i + shift <= kMaxParity; ++i)
            locator[i + shift] ^= Mul(scale, previous[i]);
        if (2 * degree <= n) {
            degree = n + 1 - degree;
            previous = before;
            lastDiscrepancy = discrepancy;
            shift = 1;
        } else {
            ++shift;
        }
    }
    return degree;
}

uint8_t DwgReedSolomon::Evaluate(const Poly& poly, size_t degree, uint8_t x) const
{
    uint8_t sum = 0;
    for (size_t i = degree + 1; i-- > 0;)
        sum = static_cast<uint8_t>(Mul(sum, x) ^ poly[i]);
    return sum;
}

// Forney: the error value at the position whose inverse locator is inverse.
uint8_t DwgReedSolomon::Magnitude(const Poly& syndromes, const Poly& locator, size_t degree, uint8_t inverse) const
{
    // The evaluator S(x) * locator(x) mod x^parity, and the locator's formal derivative (the odd
    // terms, each lowered by one degree).
    Poly evaluator{}, derivative{};
    for (size_t i = 0; i < m_parity; ++i) {
        for (size_t j = 0; j <= std::min(i, degree); ++j)
            evaluator[i] ^= Mul(syndromes[i - j], locator[j]);
    }
    for (size_t i = 1; i <= degree; i += 2)
        derivative[i - 1] = locator[i];
    const uint8_t denominator = Evaluate(derivative, degree, inverse);
    if (denominator == 0)
        return 0;
    return Div(Evaluate(evaluator, m_parity - 1, inverse), denominator);
}

bool DwgReedSolomon::Correct(uint8_t* codeword) const
{
    Poly syndromes{};
    if (m_parity == 0 || Divisible(codeword) || Syndromes(codeword, syndromes))
        return true;
    Poly locator{};
    const size_t degree = Locator(syndromes, locator);
    if (degree == 0 || 2 * degree > m_parity)
        return false;
    // Chien search: position k is wrong when locator(alpha^-k) is zero.
    std::array<size_t, kMaxParity> positions{};
    size_t found = 0;
    for (size_t k = 0; k < kCodewordSize && found <= degree; ++k) {
        if (Evaluate(locator, degree, Power(kCodewordSize - k)) == 0) {
            if (found == degree)
                return false;
            positions[found++] = k;
        }
    }
    if (found != degree)
        return false;
    uint8_t corrected[kCodewordSize];
    std::copy(codeword, codeword + kCodewordSize, corrected);
    for (size_t e = 0; e < found; ++e) {
        const size_t k = positions[e];
        const uint8_t value = Magnitude(syndromes, locator, degree, Power(kCodewordSize - k));
        if (value == 0)
            return false;
        corrected[k] ^= value;
    }
    if (!Syndromes(corrected, syndromes))
        return false;
    std::copy(corrected, corrected + kCodewordSize, codeword);
    return true;
}

} // namespace orvo::dwg
