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

// The characters of a number from any stream buffer, one call at a time.
class CBufferCursor {
public:
    explicit CBufferCursor(std::streambuf* buffer) : buffer(buffer), c(buffer->sgetc()) {}
    int Get() const { return c; }
    void Next() { c = buffer->snextc(); }
    void Finish() {}

private:
    std::streambuf* buffer;
    int c;
};

// What a number's characters hold. The usual number (a few digits, a few decimals, no
// exponent) is gathered as an integer and a count of decimals on the way.
struct NumberText {
    std::uint64_t digits = 0;
    int count = 0;      // digits gathered
    int decimals = -1;  // digits after the point, -1 before it
    bool negative = false;
    bool exponent = false;
};

// Takes the characters that the library gathers for a number: a sign, digits with one
// decimal point, and an exponent once a digit was seen, with its own sign. `keep` is given
// each character taken, an exponent's 'E' as 'e'.
template <class Cursor, class Keep>
NumberText ScanNumber(Cursor& in, Keep keep)
{
    NumberText n;
    int c = in.Get();
    if (c == '+' || c == '-') {
        n.negative = c == '-';
        keep(static_cast<char>(c));
        in.Next();
        c = in.Get();
    }
    while (c != kEnd) {
        if (IsDigit(c)) {
            n.digits = n.digits * 10 + static_cast<unsigned>(c - '0');
            ++n.count;
            if (n.decimals >= 0)
                ++n.decimals;
        } else if (c == '.' && n.decimals < 0 && !n.exponent) {
            n.decimals = 0;
        } else if ((c == 'e' || c == 'E') && n.count > 0 && !n.exponent) {
            n.exponent = true;
            keep('e');
            in.Next();
            c = in.Get();
            if (c != '+' && c != '-')
                continue;
        } else {
            break;
        }
        keep(static_cast<char>(c));
        in.Next();
        c = in.Get();
    }
    return n;
}

// Up to 15 digits and no exponent: an integer divided by a power of ten (kPowersOfTen).
bool IsPlain(const NumberText& n)
{
    return !n.exponent && n.count > 0 && n.count <= 15;
}

double PlainValue(const NumberText& n)
{
    const double number = static_cast<double>(n.digits) / detail::kPowersOfTen[n.decimals < 0 ? 0 : n.decimals];
    return n.negative ? -number : number;
}

// Any other number from its gathered text; adds failbit to the state when it is none.
double ConvertText(const std::string& text, std::ios::iostate& state)
{
    double number = 0;
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
    return number;
}

void SetState(std::istream& is, std::ios::iostate state)
{
    if (state != std::ios::goodbit)
        is.setstate(state);
}

} // namespace

std::istream& ReadInt(std::istream& is, int& value)
{
    if (CTextInput::Buffer* text = CTextInput::TextOf(is)) {
        ReadText(is, *text, [&value](CCursor& in) { ReadInt(in, value); });
        return is;
    }
    if (!BeginNumber(is))
        return is;
    CBufferCursor in(is.rdbuf());
    SetState(is, detail::ReadIntFrom(in, value));
    return is;
}

void detail::ReadAnyDouble(CCursor& in, double& value)
{
    // The characters stay in the text; only an unusual number needs them gathered.
    CNumberCursor text(in);
    const char* const begin = text.Position();
    const NumberText n = ScanNumber(text, [](char) {});
    std::ios::iostate state = text.Get() == kEnd ? std::ios::eofbit : std::ios::goodbit;
    const char* const end = text.Position();
    text.Finish();
    if (IsPlain(n)) {
        value = PlainValue(n);
    } else {
        std::string gathered(begin, end);
        for (char& c : gathered)
            if (c == 'E')
                c = 'e';
        value = ConvertText(gathered, state);
    }
    in.setstate(state);
}

std::istream& ReadDouble(std::istream& is, double& value)
{
    if (CTextInput::Buffer* text = CTextInput::TextOf(is)) {
        ReadText(is, *text, [&value](CCursor& in) { ReadDouble(in, value); });
        return is;
    }
    if (!BeginNumber(is))
        return is;
    CBufferCursor in(is.rdbuf());
    std::string text;
    const NumberText n = ScanNumber(in, [&text](char c) { text += c; });
    std::ios::iostate state = in.Get() == kEnd ? std::ios::eofbit : std::ios::goodbit;
    value = IsPlain(n) ? PlainValue(n) : ConvertText(text, state);
    SetState(is, state);
    return is;
}

} // namespace textinput
