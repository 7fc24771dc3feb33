#include "TextInput.h"

#include <charconv>
#include <cstdint>
#include <sstream>
#include <system_error>

namespace textinput {

namespace {

constexpr int kEnd = std::char_traits<char>::eof();

// What a formatted extraction does first: a stream that is not good, or holds nothing but
// blanks, fails and gives no number.
bool BeginNumber(std::istream& is)
{
    SkipBlanks(is);
    if (is.good())
        return true;
    is.setstate(std::ios::failbit);
    return false;
}

} // namespace

std::istream& ReadInt(std::istream& is, int& value)
{
    if (!BeginNumber(is))
        return is;
    std::streambuf* buffer = is.rdbuf();
    int c = buffer->sgetc();
    const bool negative = c == '-';
    if (c == '-' || c == '+')
        c = buffer->snextc();
    // A number beyond an int fails and gives the int's limit on its side.
    const unsigned long long most = negative ? 2147483648ULL : 2147483647ULL;
    unsigned long long result = 0;
    bool digits = false;
    bool overflow = false;
    while (IsDigit(c)) {
        digits = true;
        result = result * 10 + static_cast<unsigned>(c - '0');
        if (result > most) {
            overflow = true;
            result = most;
        }
        c = buffer->snextc();
    }
    std::ios::iostate state = c == kEnd ? std::ios::eofbit : std::ios::goodbit;
    if (!digits) {
        value = 0;
        state |= std::ios::failbit;
    } else {
        if (overflow)
            state |= std::ios::failbit;
        value = negative ? static_cast<int>(-static_cast<long long>(result)) : static_cast<int>(result);
    }
    if (state != std::ios::goodbit)
        is.setstate(state);
    return is;
}

std::istream& ReadDouble(std::istream& is, double& value)
{
    if (!BeginNumber(is))
        return is;
    // The characters that the library gathers: a sign, digits with one decimal point, and
    // an exponent once a digit was seen, with its own sign.
    std::streambuf* buffer = is.rdbuf();
    std::string text;
    int c = buffer->sgetc();
    if (c == '+' || c == '-') {
        text += static_cast<char>(c);
        c = buffer->snextc();
    }
    bool mantissa = false;
    bool point = false;
    bool exponent = false;
    while (c != kEnd) {
        if (IsDigit(c)) {
            mantissa = true;
        } else if (c == '.' && !point && !exponent) {
            point = true;
        } else if ((c == 'e' || c == 'E') && mantissa && !exponent) {
            exponent = true;
            text += 'e';
            c = buffer->snextc();
            if (c != '+' && c != '-')
                continue;
        } else {
            break;
        }
        text += static_cast<char>(c);
        c = buffer->snextc();
    }
    std::ios::iostate state = c == kEnd ? std::ios::eofbit : std::ios::goodbit;

    // The usual number, a few digits with a few decimals and no exponent, is an integer
    // divided by a power of ten, both exact as doubles: the one rounding of the division
    // gives the nearest double, as the library's conversion does.
    static const double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (!exponent && mantissa && text.size() <= 16) {   // at most 15 digits
        std::uint64_t digits = 0;
        int decimals = -1;
        for (char ch : text) {
            if (IsDigit(ch)) {
                digits = digits * 10 + static_cast<unsigned>(ch - '0');
                if (decimals >= 0) ++decimals;
            } else if (ch == '.') {
                decimals = 0;
            }
        }
        const double number = static_cast<double>(digits) / kPowers[decimals < 0 ? 0 : decimals];
        value = text[0] == '-' ? -number : number;
        if (state != std::ios::goodbit)
            is.setstate(state);
        return is;
    }

    const char* begin = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    const char* end = text.data() + text.size();
    double number = 0;
    const std::from_chars_result read = std::from_chars(begin, end, number);
    if (read.ec == std::errc::result_out_of_range && read.ptr == end) {
        // Too large or too small for a double: the library's own conversion decides.
        std::istringstream exact(text);
        exact >> number;
        if (exact.fail())
            state |= std::ios::failbit;
    } else if (read.ec != std::errc() || read.ptr != end) {
        number = 0;
        state |= std::ios::failbit;
    }
    value = number;
    if (state != std::ios::goodbit)
        is.setstate(state);
    return is;
}

} // namespace textinput
