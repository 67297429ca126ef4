#include "media/media_gate.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace media {
namespace {

std::uint32_t Big(std::span<const std::uint8_t> b, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | b[at + i];
    return value;
}

std::uint32_t Little(std::span<const std::uint8_t> b, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | b[at + i];
    return value;
}

bool Tag(std::span<const std::uint8_t> b, std::size_t at, const char* tag) {
    return b.size() >= at + 4 && std::memcmp(b.data() + at, tag, 4) == 0;
}

// Rates SDL's converter takes to the device's 44100 Hz without trouble; a few hertz overruns it.
constexpr std::uint32_t LowestRate = 8000;
constexpr std::uint32_t HighestRate = 192000;
constexpr std::uint32_t PcmFormat = 1;
constexpr std::uint32_t FloatFormat = 3;
constexpr std::uint32_t ExtensibleFormat = 0xFFFE;

std::string FormatFault(std::span<const std::uint8_t> fmt) {
    std::uint32_t format = Little(fmt, 0, 2);
    const std::uint32_t channels = Little(fmt, 2, 2);
    const std::uint32_t rate = Little(fmt, 4, 4);
    const std::uint32_t block = Little(fmt, 12, 2);
    const std::uint32_t bits = Little(fmt, 14, 2);
    if (format == ExtensibleFormat && fmt.size() >= 26)
        format = Little(fmt, 24, 2);  // the sub-format's first two bytes
    const bool pcm = format == PcmFormat && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    if (!pcm && !(format == FloatFormat && bits == 32))
        return "a wave format other than 8-, 16-, 24- or 32-bit PCM or 32-bit float";
    if (channels < 1 || channels > 2)
        return "not mono or stereo";
    if (rate < LowestRate || rate > HighestRate)
        return "a sample rate of " + std::to_string(rate) + " Hz";
    if (block != channels * bits / 8)
        return "a block size that does not fit its channels and bits";
    return {};
}

std::string Errno(int error) {
    return std::strerror(error);
}

std::mutex& ReportedMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

std::string MidiHeaderFault(std::span<const std::uint8_t> b) {
    if (b.size() < 14 || !Tag(b, 0, "MThd"))
        return "not a standard MIDI file";
    if (Big(b, 4, 4) != 6)
        return "a MIDI header of an unknown size";
    if (Big(b, 8, 2) > 2)
        return "an unknown MIDI file format";
    if (Big(b, 10, 2) == 0)
        return "no tracks";
    const std::uint32_t division = Big(b, 12, 2);
    if (division & 0x8000)
        return "time code (SMPTE) timing, which the synthesizer cannot play";
    if (division == 0)
        return "no ticks per quarter note";
    return {};
}

std::string MidiFileFault(std::span<const std::uint8_t> b) {
    if (std::string fault = MidiHeaderFault(b); !fault.empty())
        return fault;
    // The synthesizer reads the announced tracks one after another, skipping other chunks.
    const std::uint32_t tracks = Big(b, 10, 2);
    std::size_t at = 14;
    for (std::uint32_t found = 0; found < tracks;) {
        if (b.size() - at < 8)
            return "cut short: " + std::to_string(found) + " of " + std::to_string(tracks) + " tracks";
        const std::uint64_t length = Big(b, at + 4, 4);
        if (length > b.size() - at - 8)
            return "a track cut short";
        found += Tag(b, at, "MTrk");
        at += 8 + length;
    }
    return {};
}

std::string WaveHeaderFault(std::span<const std::uint8_t> b) {
    if (b.size() < 12 || !Tag(b, 0, "RIFF") || !Tag(b, 8, "WAVE"))
        return "not a wave file";
    for (std::size_t at = 12; b.size() - at >= 8;) {
        const std::uint64_t length = Little(b, at + 4, 4);
        if (Tag(b, at, "fmt ")) {
            if (length < 16 || length > b.size() - at - 8)
                return "a wave format chunk cut short";
            return FormatFault(b.subspan(at + 8, length));
        }
        at += 8 + length + (length & 1);  // chunks are padded to an even size
        if (at > b.size())
            break;
    }
    return "no wave format chunk at its start";
}

std::string WaveFileFault(std::span<const std::uint8_t> b) {
    if (std::string fault = WaveHeaderFault(b); !fault.empty())
        return fault;
    bool samples = false;
    for (std::size_t at = 12; at < b.size();) {
        if (b.size() - at < 8)
            return "a chunk cut short";
        const std::uint64_t length = Little(b, at + 4, 4);
        if (length > b.size() - at - 8)
            return "a chunk longer than the file";
        samples |= Tag(b, at, "data");
        at += 8 + length + (length & 1);
    }
    return samples ? "" : "no samples";
}

int OpenByBytes(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    // Too long for one call: walk down the folders a stretch at a time.
    int folder = ::open(path.starts_with('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::size_t at = path.find_first_not_of('/');
    while (folder >= 0 && at != std::string::npos) {
        std::size_t end = path.find('/', at);
        // Take as many whole names as fit well inside the limit.
        for (std::size_t next = end; next != std::string::npos && next - at < PATH_MAX / 2;
             next = path.find('/', next + 1))
            end = next;
        const bool last = end == std::string::npos;
        const std::string part = path.substr(at, last ? std::string::npos : end - at);
        const int inner =
            ::openat(folder, part.c_str(), last ? flags | O_CLOEXEC : O_PATH | O_DIRECTORY | O_CLOEXEC);
        const int saved = errno;
        ::close(folder);
        errno = saved;
        if (last)
            return inner;
        folder = inner;
        at = path.find_first_not_of('/', end);
    }
    return folder;
}

std::optional<std::vector<std::uint8_t>> Read(const std::string& path, Kind kind) {
    // One open and one read: non-blocking, so that a pipe of that name cannot hold the program.
    std::string fault;
    std::vector<std::uint8_t> bytes;
    const int fd = OpenByBytes(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    struct stat about {};
    const std::uintmax_t cap = kind == Kind::Tune ? TuneCap : EffectCap;
    if (fd < 0 || ::fstat(fd, &about) != 0) {
        fault = Errno(errno);
    } else if (!S_ISREG(about.st_mode)) {
        fault = "not a regular file";
    } else if (static_cast<std::uintmax_t>(about.st_size) > cap) {
        fault = "larger than " + std::to_string(cap >> 20) + " MB";
    } else {
        // One byte more than the file had tells a file that grew since it was looked at.
        bytes.resize(static_cast<std::size_t>(about.st_size) + 1);
        std::size_t got = 0;
        for (ssize_t n = 1; n > 0 && got < bytes.size();) {
            n = ::read(fd, bytes.data() + got, bytes.size() - got);
            got += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        if (got == bytes.size())
            fault = "changed while it was read";
        bytes.resize(got);
        // The header is judged on its first bytes alone, as the fuzzed header checks judge it.
        const auto head = std::span<const std::uint8_t>(bytes).first(std::min(bytes.size(), HeaderBytes));
        if (fault.empty())
            fault = kind == Kind::Tune ? MidiHeaderFault(head) : WaveHeaderFault(head);
        if (fault.empty())
            fault = kind == Kind::Tune ? MidiFileFault(bytes) : WaveFileFault(bytes);
    }
    if (fd >= 0)
        ::close(fd);
    if (!fault.empty()) {
        Refuse(path, fault);
        return std::nullopt;
    }
    return bytes;
}

void Refuse(const std::string& path, const std::string& why) {
    // Never destroyed: the sound worker may refuse a file while the program ends.
    static auto* reported = new std::set<std::string>;
    std::lock_guard lock(ReportedMutex());
    if (reported->insert(path).second)
        std::fprintf(stderr, "zam: no sound from %s: %s\n", path.c_str(), why.c_str());
}

}  // namespace media
