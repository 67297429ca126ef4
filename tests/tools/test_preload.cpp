// Preloaded into the real program by the tests that run it under an X server
// (LD_PRELOAD), it lets them see what cannot be seen from outside:
//
//   ZAM_MIXER_TRACE=FILE  each tune handed to the synthesizer, started and halted, and the
//                         closing of the audio device, one line each: "<ms> load <tune> <bytes>",
//                         "<ms> play <tune>", "<ms> halt", "<ms> close", each effect
//                         started, "<ms> effect", and each pause
//                         of the main thread (a step of a move's value display): "<ms> pause",
//                         followed by "<ms> long-pause" when it lasts half a second or more.
//   ZAM_FAST_PAUSES=1     the pauses of the program's main thread take no time, so that
//                         a whole game played through the window fits in a test. Only the
//                         game's own pauses are skipped; the audio thread keeps its pace.
//   ZAM_FAST_PAUSES_FILE=FILE  the same, but only while FILE exists: a test can time a
//                         move at its real pace and then play the rest of the game fast.

#include <SDL_mixer.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <fluidsynth.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

int trace_fd = -1;
bool fast_pauses = false;
const char* fast_pauses_file = nullptr;
pid_t main_thread = 0;

__attribute__((constructor)) void Start() {
    main_thread = static_cast<pid_t>(::syscall(SYS_gettid));
    // Kept above the standard streams: the program, started with one of them closed, opens
    // it on /dev/null itself, after this library has opened its trace.
    if (const char* path = std::getenv("ZAM_MIXER_TRACE")) {
        const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        trace_fd = fd >= 0 && fd <= 2 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 3) : fd;
        if (fd >= 0 && fd != trace_fd)
            ::close(fd);
    }
    const char* fast = std::getenv("ZAM_FAST_PAUSES");
    fast_pauses = fast && std::strcmp(fast, "1") == 0;
    fast_pauses_file = std::getenv("ZAM_FAST_PAUSES_FILE");
}

void Trace(const char* what, const void* tune = nullptr, const char* path = nullptr) {
    if (trace_fd < 0)
        return;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    char line[1200];
    int length =
        std::snprintf(line, sizeof line, "%lld %s", now.tv_sec * 1000LL + now.tv_nsec / 1000000, what);
    if (tune)
        length += std::snprintf(line + length, sizeof line - length, " %p", tune);
    if (path)
        length += std::snprintf(line + length, sizeof line - length, " %s", path);
    length += std::snprintf(line + length, sizeof line - length, "\n");
    if (::write(trace_fd, line, static_cast<size_t>(length)) < 0) {
        // Nothing to be done about a trace that cannot be written.
    }
}

template <class F> F Real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

bool OnMainThread() {
    return static_cast<pid_t>(::syscall(SYS_gettid)) == main_thread;
}

// Every pause of the main thread is traced; with fast pauses it is also skipped.
// A pause of half a second or more (a piece's arrival) is also traced as "long-pause".
bool SkipPause(const timespec* request) {
    if (!OnMainThread())
        return false;
    Trace("pause");
    if (request && request->tv_sec * 1000 + request->tv_nsec / 1000000 >= 500)
        Trace("long-pause");
    return fast_pauses || (fast_pauses_file && ::access(fast_pauses_file, F_OK) == 0);
}

}  // namespace

extern "C" {

int fluid_player_add_mem(fluid_player_t* player, const void* buffer, size_t length) {
    static auto real = Real<int (*)(fluid_player_t*, const void*, size_t)>("fluid_player_add_mem");
    Trace("load", player, std::to_string(length).c_str());
    return real(player, buffer, length);
}

int fluid_player_play(fluid_player_t* player) {
    static auto real = Real<int (*)(fluid_player_t*)>("fluid_player_play");
    Trace("play", player);
    return real(player);
}

int fluid_player_stop(fluid_player_t* player) {
    static auto real = Real<int (*)(fluid_player_t*)>("fluid_player_stop");
    Trace("halt");
    return real(player);
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    static auto real = Real<int (*)(int, Mix_Chunk*, int, int)>("Mix_PlayChannelTimed");
    Trace("effect");
    return real(channel, chunk, loops, ticks);
}

void Mix_CloseAudio(void) {
    static auto real = Real<void (*)()>("Mix_CloseAudio");
    real();
    Trace("close");
}

int nanosleep(const timespec* request, timespec* remaining) {
    static auto real = Real<int (*)(const timespec*, timespec*)>("nanosleep");
    if (SkipPause(request))
        return 0;
    return real(request, remaining);
}

int clock_nanosleep(clockid_t clock, int flags, const timespec* request, timespec* remaining) {
    static auto real = Real<int (*)(clockid_t, int, const timespec*, timespec*)>("clock_nanosleep");
    if (flags == 0 && SkipPause(request))
        return 0;
    return real(clock, flags, request, remaining);
}

}  // extern "C"
