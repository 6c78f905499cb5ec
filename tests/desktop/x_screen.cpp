#include "x_screen.h"

#include <QImage>

// After the Qt headers: Xlib's macros would clash with their names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace desk {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

DisplayPtr Open(const QString& display) {
    return DisplayPtr(XOpenDisplay(display.toLocal8Bit().constData()));
}

} // namespace

bool WindowManagerRunning(const QString& display) {
    DisplayPtr d = Open(display);
    if (!d)
        return false;
    const Atom check = XInternAtom(d.get(), "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0)
        return false;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(d.get(), DefaultRootWindow(d.get()), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &items, &after, &data);
    const bool found = status == Success && items == 1;
    if (data)
        XFree(data);
    return found;
}

bool GrabScreen(const QString& display, const QString& path) {
    DisplayPtr d = Open(display);
    if (!d)
        return false;
    const Window root = DefaultRootWindow(d.get());
    XWindowAttributes attributes{};
    XGetWindowAttributes(d.get(), root, &attributes);
    XImage* image = XGetImage(d.get(), root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    QImage picture(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < attributes.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            line[x] = qRgb(static_cast<int>((pixel >> 16) & 0xff),
                           static_cast<int>((pixel >> 8) & 0xff), static_cast<int>(pixel & 0xff));
        }
    }
    XDestroyImage(image);
    return picture.save(path, "PNG");
}

} // namespace desk
