// zam_soak: hundreds of games in one process, title and game by turns on the same
// windows, with the memory and the live widgets measured between games.
//
//   zam_soak [--games N]
//
// Prints the resident memory at the start, after the first game and at the end, and
// exits 1 when widgets pile up from game to game or the memory keeps growing.

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "screens/soak_play.h"

namespace {

// The offscreen platform says for every window shown that it cannot raise it; the
// figures would drown in it.
QtMessageHandler default_handler = nullptr;
void QuietAboutRaise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains(QStringLiteral("does not support raise()")))
        default_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    default_handler = qInstallMessageHandler(QuietAboutRaise);
    int games = 500;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--games") == 0)
            games = std::atoi(argv[i + 1]);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::filesystem::current_path(ZAM_MEDIA_DIR);

    const auto start = std::chrono::steady_clock::now();
    const long rss_start = testing_support::ResidentKilobytes();
    int failures = 0;
    {
        testing_support::SoakPlay soak;
        soak.Demo();
        const int widgets = testing_support::SoakPlay::LiveWidgets();
        long rss_first = 0, rss_tenth = 0;
        for (int g = 1; g <= games; ++g) {
            soak.Game();
            const long rss = testing_support::ResidentKilobytes();
            if (g == 1)
                rss_first = rss;
            if (g == 10)
                rss_tenth = rss;
            if (testing_support::SoakPlay::LiveWidgets() != widgets) {
                std::printf("game %d: %d live widgets, %d before the first game\n", g,
                            testing_support::SoakPlay::LiveWidgets(), widgets);
                ++failures;
            }
            if (g % 50 == 0 || g == games)
                std::printf("game %4d: RSS %6ld kB, %ld moves so far\n", g, rss, soak.moves()),
                    std::fflush(stdout);
        }
        const long rss_end = testing_support::ResidentKilobytes();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%d games, %ld moves of the player, %.0f s; RSS at the start %ld kB, after the first "
                    "game %ld kB, "
                    "after game 10 %ld kB, at the end %ld kB (%+ld kB since game 10); %d live widgets "
                    "between games\n",
                    soak.games(), soak.moves(), seconds, rss_start, rss_first, rss_tenth, rss_end,
                    rss_end - rss_tenth, widgets);
#ifdef __SANITIZE_ADDRESS__
        // The sanitizer keeps freed memory in quarantine, so the figures grow by design; its
        // leak check when the program ends has the say instead.
        std::printf("(built with AddressSanitizer: the memory figures include its quarantine)\n");
#else
        // Flat: what the first games set up (fonts, the synthesizer, caches) stays; nothing grows with every
        // game.
        if (games >= 100 && rss_end - rss_tenth > 4096) {
            std::printf("the memory kept growing\n");
            ++failures;
        }
#endif
    }
    return failures == 0 ? 0 : 1;
}
