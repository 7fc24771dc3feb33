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
    // an exponent once a digit was seen, with its own sign. The usual number (a few digits,
    // a few decimals) is gathered as an integer and a count of decimals on the way.
    std::streambuf* buffer = is.rdbuf();
    std::string text;
    std::uint64_t digits = 0;
    int count = 0;      // digits gathered
    int decimals = -1;  // digits after the point, -1 before it
    int c = buffer->sgetc();
    if (c == '+' || c == '-') {
        text += static_cast<char>(c);
        c = buffer->snextc();
    }
    bool exponent = false;
    while (c != kEnd) {
        if (IsDigit(c)) {
            digits = digits * 10 + static_cast<unsigned>(c - '0');
            ++count;
            if (decimals >= 0)
                ++decimals;
        } else if (c == '.' && decimals < 0 && !exponent) {
            decimals = 0;
        } else if ((c == 'e' || c == 'E') && count > 0 && !exponent) {
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

    // Up to 15 digits and no exponent: an integer divided by a power of ten, both exact as
    // doubles, so that the one rounding of the division gives the nearest double, as the
    // library's conversion does.
    static const double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    double number = 0;
    if (!exponent && count > 0 && count <= 15) {
        number = static_cast<double>(digits) / kPowers[decimals < 0 ? 0 : decimals];
        if (text[0] == '-')
            number = -number;
    } else {
        const char* begin = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
        const char* end = text.data() + text.size();
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
    }
    value = number;
    if (state != std::ios::goodbit)
        is.setstate(state);
    return is;
}

} // namespace textinput
