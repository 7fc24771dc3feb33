// Feeds arbitrary server text to the stream: once through the reader loop, which splits it
// into lines and messages and routes each, and once whole as one message.
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
    return 0;
}
