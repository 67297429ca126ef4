#pragma once
// A connection of the benchmark's own to the X server, to read back what is really
// on the screen rather than what a program believes it has drawn. Kept apart from
// Qt because Xlib's headers and Qt's do not mix.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

class XScreen {
public:
    XScreen();  // opens $DISPLAY
    ~XScreen();
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;

    bool Ok() const { return display_ != nullptr; }

    // Reads a rectangle of a window as 0xRRGGBB values, row by row; false when the
    // window is not viewable or the rectangle does not lie inside it.
    bool Grab(unsigned long window, int x, int y, int width, int height, std::vector<std::uint32_t>& pixels);

    struct TopLevel {
        unsigned long window = 0;
        std::string name;
        long pid = 0;
        bool viewable = false;
        int x = 0, y = 0, width = 0, height = 0;  // the window's position on the screen and its size
    };
    // The windows directly under the root window that belong to a process.
    std::vector<TopLevel> TopLevelsOf(long pid);

    void* Display() const { return display_; }

private:
    void* display_ = nullptr;
};

// Makes Xlib safe to use from more than one thread; call before any other X call.
void InitXThreads();

}  // namespace bench
