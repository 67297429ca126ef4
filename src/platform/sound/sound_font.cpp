#include "platform/sound/sound_font.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/sound/sf2_subset.h"

namespace platform::audio {

// A file as FluidSynth reads it: the first `kept` bytes of the file at `path`, then `pdta`.
struct Served {
    std::string path;
    std::uint64_t kept = 0;
    std::vector<std::uint8_t> pdta;  // empty for a file read as it is
    int presets = 0;
    std::uint64_t Size() const { return kept + pdta.size(); }
};

namespace {

// The files served, by name; FluidSynth opens them again from the audio thread to read samples.
std::mutex served_mutex;
std::map<std::string, std::shared_ptr<const Served>>& ServedFiles() {
    static auto* files = new std::map<std::string, std::shared_ptr<const Served>>;  // outlives every thread
    return *files;
}

struct Handle {
    std::shared_ptr<const Served> served;
    int fd = -1;
    std::uint64_t at = 0;
};

bool ReadAt(int fd, std::uint8_t* out, std::uint64_t count, std::uint64_t at) {
    while (count > 0) {
        const ssize_t got = pread(fd, out, count, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got, at += got, count -= got;
    }
    return true;
}

void* ServeOpen(const char* name) {
    std::shared_ptr<const Served> served;
    {
        std::lock_guard lock(served_mutex);
        if (auto found = ServedFiles().find(name); found != ServedFiles().end())
            served = found->second;
    }
    const int fd = open(served ? served->path.c_str() : name, O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd >= 0 && !served && fstat(fd, &status) == 0)  // any other file is read as it is
        served =
            std::make_shared<const Served>(Served{name, static_cast<std::uint64_t>(status.st_size), {}, 0});
    if (fd >= 0 && served)
        return new Handle{served, fd, 0};
    if (fd >= 0)
        close(fd);
    return nullptr;
}

int ServeRead(void* buffer, fluid_long_long_t count, void* opened) {
    auto& handle = *static_cast<Handle*>(opened);
    const Served& served = *handle.served;
    if (count < 0 || static_cast<std::uint64_t>(count) > served.Size() - handle.at)
        return FLUID_FAILED;
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::uint64_t start = handle.at, end = start + count, from_file = std::min(end, served.kept);
    if (start < from_file && !ReadAt(handle.fd, out, from_file - start, start))
        return FLUID_FAILED;
    if (end > served.kept) {
        const std::uint64_t first = std::max(start, served.kept);
        std::memcpy(out + (first - start), served.pdta.data() + (first - served.kept), end - first);
    }
    // The RIFF header gives the size of the file served.
    for (std::uint64_t at = std::max<std::uint64_t>(start, 4);
         !served.pdta.empty() && at < std::min<std::uint64_t>(end, 8); ++at)
        out[at - start] = static_cast<std::uint8_t>((served.Size() - 8) >> 8 * (at - 4));
    handle.at = end;
    return FLUID_OK;
}

int ServeSeek(void* opened, fluid_long_long_t offset, int origin) {
    auto& handle = *static_cast<Handle*>(opened);
    const auto size = static_cast<fluid_long_long_t>(handle.served->Size());
    const fluid_long_long_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? handle.at : size;
    if ((origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END) || offset < -base ||
        offset > size - base)
        return FLUID_FAILED;
    handle.at = static_cast<std::uint64_t>(base + offset);
    return FLUID_OK;
}

fluid_long_long_t ServeTell(void* opened) {
    return static_cast<fluid_long_long_t>(static_cast<Handle*>(opened)->at);
}

int ServeClose(void* opened) {
    auto* handle = static_cast<Handle*>(opened);
    close(handle->fd);
    delete handle;
    return FLUID_OK;
}

// The font cut down to the presets wanted; nothing when it cannot be read or is not laid out as usual.
std::optional<Served> Cut(const std::string& path, const Presets& wanted) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (fd >= 0)
            close(fd);
        return std::nullopt;
    }
    const auto read = [fd](std::uint64_t at, std::span<std::uint8_t> out) {
        return ReadAt(fd, out.data(), out.size(), at);
    };
    std::optional<Served> cut;
    if (const auto layout = FindLayout(read, static_cast<std::uint64_t>(status.st_size))) {
        std::vector<std::uint8_t> pdta(layout->pdta_size);
        auto subset = read(layout->pdta_at, pdta) ? SubsetPdta(pdta, wanted) : std::nullopt;
        if (subset)
            cut = Served{path, layout->pdta_at, std::move(subset->pdta), subset->presets};
    }
    close(fd);
    return cut;
}

std::atomic<unsigned> served_count{0};

}  // namespace

fluid_sfloader_t* NewServingLoader(fluid_settings_t* settings) {
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
    if (loader)
        fluid_sfloader_set_callbacks(loader, ServeOpen, ServeRead, ServeSeek, ServeTell, ServeClose);
    return loader;
}

FontStack::FontStack(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        fonts_.push_back({path, path + "#presets-" + std::to_string(++served_count), false});
}

FontStack::~FontStack() {
    std::lock_guard lock(served_mutex);
    for (const Font& font : fonts_)
        ServedFiles().erase(font.served);
}

int FontStack::Load(fluid_synth_t* synth, const Presets& wanted, const std::function<bool()>& stop) {
    const bool first = !std::exchange(started_, true);
    const Presets missing = wanted & ~asked_;
    if (missing.none() && !first)
        return 0;
    asked_ |= missing;
    std::vector<std::optional<Served>> cuts(fonts_.size());
    if (first) {
        for (std::size_t i = 0; i < fonts_.size(); ++i)
            cuts[i] = Cut(fonts_[i].path, missing);
        // Fonts read whole and cut fonts would not stack in the order the fonts are given.
        if (std::any_of(cuts.begin(), cuts.end(), [](auto& cut) { return !cut; }))
            for (Font& font : fonts_)
                font.whole = true;
    }
    int loaded = 0;
    for (std::size_t i = 0; i < fonts_.size() && !(stop && stop()); ++i) {
        Font& font = fonts_[i];
        if (font.whole) {  // it has every preset from the first call on
            loaded += first && fluid_synth_sfload(synth, font.path.c_str(), 1) != FLUID_FAILED;
            continue;
        }
        if (!first)
            cuts[i] = Cut(font.path, missing);
        // A font that can no longer be cut (changed since) keeps the presets it gave.
        if (cuts[i] && (cuts[i]->presets > 0 || first))
            loaded += LoadCut(synth, font, std::move(*cuts[i]), first);
    }
    return loaded;
}

bool FontStack::LoadCut(fluid_synth_t* synth, Font& font, Served&& cut, bool first) {
    {
        std::lock_guard lock(served_mutex);
        ServedFiles()[font.served] = std::make_shared<const Served>(std::move(cut));
    }
    // The samples read later come from the same name: a cut served again for a later tune holds them at the
    // same place, as every cut keeps the file's own bytes up to the preset data.
    if (fluid_synth_sfload(synth, font.served.c_str(), first) != FLUID_FAILED)
        return true;
    if (!first)
        return false;
    font.whole = true;  // what FluidSynth refuses cut, it may take whole
    return fluid_synth_sfload(synth, font.path.c_str(), 1) != FLUID_FAILED;
}

}  // namespace platform::audio
