#include "x_screen.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstring>

namespace bench {
namespace {

::Display* Dpy(void* display) {
    return static_cast<::Display*>(display);
}

// Any X error (a window that went away between two requests) is only a failed read.
int IgnoreErrors(::Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

void InitXThreads() {
    XInitThreads();
}

XScreen::XScreen() {
    display_ = XOpenDisplay(nullptr);
    XSetErrorHandler(IgnoreErrors);
}

XScreen::~XScreen() {
    if (display_)
        XCloseDisplay(Dpy(display_));
}

bool XScreen::Grab(unsigned long window, int x, int y, int width, int height,
                   std::vector<std::uint32_t>& pixels) {
    pixels.clear();
    if (!display_)
        return false;
    XImage* image = XGetImage(Dpy(display_), window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const bool plain = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 &&
                       image->green_mask == 0xFF00 && image->blue_mask == 0xFF &&
                       image->byte_order == LSBFirst;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            std::uint32_t value;
            if (plain) {
                std::memcpy(&value, image->data + row * image->bytes_per_line + column * 4, 4);
            } else {
                value = static_cast<std::uint32_t>(XGetPixel(image, column, row));
            }
            pixels[static_cast<std::size_t>(row) * width + column] = value & 0xFFFFFF;
        }
    }
    XDestroyImage(image);
    return true;
}

std::vector<XScreen::TopLevel> XScreen::TopLevelsOf(long pid) {
    std::vector<TopLevel> found;
    if (!display_)
        return found;
    ::Display* dpy = Dpy(display_);
    Window root = DefaultRootWindow(dpy);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, root, &root, &parent, &children, &count))
        return found;
    const Atom net_wm_pid = XInternAtom(dpy, "_NET_WM_PID", True);
    for (unsigned i = 0; i < count; ++i) {
        TopLevel top;
        top.window = children[i];
        if (net_wm_pid != None) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(dpy, children[i], net_wm_pid, 0, 1, False, XA_CARDINAL, &type, &format,
                                   &items, &after, &data) == Success &&
                data) {
                if (items == 1 && format == 32)
                    top.pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
                XFree(data);
            }
        }
        if (top.pid != pid)
            continue;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(dpy, children[i], &attributes))
            continue;
        top.viewable = attributes.map_state == IsViewable;
        top.x = attributes.x;
        top.y = attributes.y;
        top.width = attributes.width;
        top.height = attributes.height;
        char* name = nullptr;
        if (XFetchName(dpy, children[i], &name) && name) {
            top.name = name;
            XFree(name);
        }
        found.push_back(top);
    }
    if (children)
        XFree(children);
    return found;
}

}  // namespace bench
