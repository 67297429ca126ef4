#include "platform/sound/sequencer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/sound/audio_device.h"

namespace platform {
namespace {

// What the commands said, on the window's thread alone. Every open, play and close is
// one step; a tune played at step n has ended once the worker's count reaches n.
struct Said {
    std::optional<std::string> alias;
    std::uint64_t opened_at = 0;
    std::uint64_t played_at = 0;  // 0 until played
} said;
std::uint64_t steps = 0;

int Reply(const std::string& text, char* reply, int reply_length) {
    if (reply == nullptr || reply_length <= 0)
        return text.empty() ? 0 : 1;
    const std::size_t fits = std::min(text.size(), static_cast<std::size_t>(reply_length - 1));
    std::memcpy(reply, text.data(), fits);
    reply[fits] = '\0';
    return fits < text.size() ? 1 : 0;
}

bool IsName(std::string_view name) {  // an alias is one word
    return !name.empty() &&
           std::none_of(name.begin(), name.end(), [](unsigned char c) { return std::isspace(c); });
}

// open "<path>" type sequencer alias <name>
int Open(const std::string& command, std::string_view lower) {
    constexpr std::string_view Head = "open \"";
    constexpr std::string_view Tail = "\" type sequencer alias ";
    const std::size_t tail = lower.rfind(Tail);
    if (!lower.starts_with(Head) || tail == std::string_view::npos || tail < Head.size() ||
        !IsName(lower.substr(tail + Tail.size())) || said.alias || audio::tunes.no_synthesizer)
        return 1;
    said = Said{std::string(lower.substr(tail + Tail.size())), ++steps, 0};
    audio::Post(audio::OpenTune{command.substr(Head.size(), tail - Head.size()), steps});
    return 0;
}

int RealSendString(const std::string& command, char* reply, int reply_length) {
    if (reply != nullptr && reply_length > 0)
        reply[0] = '\0';
    if (said.alias && said.opened_at <= audio::tunes.dropped)
        said = Said{};  // the device took the tune with it
    // The words and the alias count in any case, the path as it is.
    std::string lowered = command;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string_view lower = lowered;
    if (lower.starts_with("open "))
        return Open(command, lower);
    const std::string_view verb = lower.substr(0, lower.find(' '));
    std::string_view alias = lower.substr(std::min(verb.size() + 1, lower.size()));
    const bool status = verb == "status" && alias.ends_with(" mode");
    if (status)
        alias.remove_suffix(std::string_view(" mode").size());
    if (!(status || verb == "play" || verb == "close") || !IsName(alias) || said.alias != alias)
        return 1;
    if (verb == "play") {
        said.played_at = ++steps;  // a second "play" starts the tune again from its start
        audio::Post(audio::PlayTune{steps});
    } else if (verb == "close") {
        said = Said{};
        audio::Post(audio::CloseTune{});
    } else {
        const bool playing = said.played_at != 0 && audio::tunes.ended < said.played_at;
        return Reply(playing ? "playing" : "stopped", reply, reply_length);
    }
    return 0;
}

}  // namespace

void PrepareSynthesizer() {
    audio::Post(audio::Prepare{});
}

SequencerCalls& Sequencer() {
    static SequencerCalls calls{RealSendString};
    return calls;
}

int SendString(const std::string& command, char* reply, int reply_length) {
    return Sequencer().send_string(command, reply, reply_length);
}

}  // namespace platform
