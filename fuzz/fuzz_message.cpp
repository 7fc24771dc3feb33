// Feeds arbitrary server text to the stream: once through the reader loop, which splits it
// into lines and messages and routes each, and once whole as one message. Then the same
// with the "/os" service present, so that service messages reach its records and state.
#include "ggsstream.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

// Keeps the generic handler quiet; everything else is the kit's own.
class CFuzzStream : public ggsstream {
public:
    void OnMessage(const CMsg& msg) override { seen += msg.text.size(); }
    size_t seen = 0;
};

// Reads the fuzz text and drops everything written, such as the service's set-up tells.
class CFuzzBuf : public std::streambuf {
public:
    explicit CFuzzBuf(std::string& text) { setg(&text[0], &text[0], &text[0] + text.size()); }

protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    CFuzzStream stream;
    std::stringbuf input(text, std::ios::in);
    stream.rdbuf(&input);
    stream.Run();
    stream.rdbuf(nullptr);

    CFuzzStream whole;
    whole.ParseMessage(text);
    whole.ParseMessage(": " + text);

    std::string transcript = ": + /os 1\nREADY\n" + text;
    CFuzzBuf output(transcript);
    CFuzzStream service;
    service.rdbuf(&output);
    service.Run();
    service.ParseMessage(": + /os 1");
    service.ParseMessage("/os: " + text);
    service.rdbuf(nullptr);
    return 0;
}
