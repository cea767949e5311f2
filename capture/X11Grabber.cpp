#include "X11Grabber.h"

#include <bit>
#include <cstdlib>
#include <cstring>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// Frames nest a few levels at most; this only guards against a broken tree.
constexpr int kMaxTreeDepth = 64;
constexpr int kMaxSide = 32767;

// One channel of a TrueColor pixel, scaled to 8 bits.
struct Channel {
    uint32_t mask;
    int shift;
    uint32_t maximum;

    explicit Channel(uint32_t m)
        : mask(m), shift(m ? std::countr_zero(m) : 0), maximum(m ? (m >> shift) : 1) {}
    int value(uint32_t pixel) const {
        return static_cast<int>((((pixel & mask) >> shift) * 255 + maximum / 2) / maximum);
    }
};

}  // namespace

X11Grabber::X11Grabber(xcb_connection_t* connection, xcb_screen_t* screen)
    : connection_(connection), screen_(screen) {}

std::unique_ptr<X11Grabber> X11Grabber::connect(const char* displayName) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screenNumber);
    std::unique_ptr<xcb_connection_t, Disconnect> owner(connection);
    if (connection == nullptr || xcb_connection_has_error(connection) != 0) {
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        return nullptr;
    }
    return std::unique_ptr<X11Grabber>(new X11Grabber(owner.release(), screens.data));
}

GrabResult X11Grabber::grabScreen() {
    // The root spans every monitor of the desktop.
    return GrabResult::of(
        copyFromRoot(QRect(0, 0, screen_->width_in_pixels, screen_->height_in_pixels))
            .value_or(QImage()));
}

GrabResult X11Grabber::grabActiveWindow() {
    if (const auto frame = activeFrame()) {
        return GrabResult::of(copyFromRoot(*frame).value_or(QImage()));
    }
    return grabScreen();
}

std::optional<QRect> X11Grabber::activeFrame() {
    const xcb_window_t window = activeWindow();
    if (window == XCB_NONE) {
        return std::nullopt;
    }
    return outerRectOf(window);
}

xcb_atom_t X11Grabber::atom(const char* name) {
    xcb_connection_t* c = connection_.get();
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

xcb_window_t X11Grabber::activeWindow() {
    xcb_connection_t* c = connection_.get();
    if (const xcb_atom_t netActive = atom("_NET_ACTIVE_WINDOW"); netActive != XCB_ATOM_NONE) {
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen_->root, netActive, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4) {
            xcb_window_t window = 0;
            std::memcpy(&window, xcb_get_property_value(reply.get()), sizeof window);
            if (window != XCB_NONE) {
                return window;
            }
        }
    }
    // Without a window manager that tells, the window holding the keyboard.
    Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == screen_->root) {
        return XCB_NONE;
    }
    return focus->focus;
}

std::optional<QRect> X11Grabber::outerRectOf(xcb_window_t client) {
    xcb_connection_t* c = connection_.get();
    // A reparenting window manager's frame is the ancestor just below the root.
    xcb_window_t topLevel = client;
    for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, topLevel), nullptr));
        if (!tree) {
            return std::nullopt;
        }
        if (tree->parent == tree->root || tree->parent == XCB_NONE) {
            break;
        }
        topLevel = tree->parent;
    }
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, topLevel), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    const int border = geometry->border_width;
    QRect outer(geometry->x, geometry->y, geometry->width + 2 * border,
                geometry->height + 2 * border);

    // A window manager that does not reparent says how wide its frame is.
    if (topLevel == client) {
        if (const xcb_atom_t extents = atom("_NET_FRAME_EXTENTS"); extents != XCB_ATOM_NONE) {
            Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
                c, xcb_get_property(c, 0, client, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
            if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 16) {
                uint32_t e[4];  // left, right, top, bottom
                std::memcpy(e, xcb_get_property_value(reply.get()), sizeof e);
                outer.adjust(-static_cast<int>(e[0]), -static_cast<int>(e[2]),
                             static_cast<int>(e[1]), static_cast<int>(e[3]));
            }
        }
    }
    return outer;
}

std::optional<QImage> X11Grabber::copyFromRoot(const QRect& area) {
    if (area.isEmpty() || area.width() > kMaxSide || area.height() > kMaxSide) {
        return std::nullopt;
    }
    QImage picture(area.size(), QImage::Format_RGB32);
    if (picture.isNull()) {
        return std::nullopt;
    }
    picture.fill(Qt::black);
    const QRect visible = area & QRect(0, 0, screen_->width_in_pixels, screen_->height_in_pixels);
    if (!visible.isEmpty()) {
        xcb_connection_t* c = connection_.get();
        xcb_generic_error_t* error = nullptr;
        Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root,
                          static_cast<int16_t>(visible.x()), static_cast<int16_t>(visible.y()),
                          static_cast<uint16_t>(visible.width()),
                          static_cast<uint16_t>(visible.height()), ~0u),
            &error));
        Reply<xcb_generic_error_t> errorOwner(error);
        if (!reply || !decodeInto(picture, visible.topLeft() - area.topLeft(), *reply,
                                  visible.width(), visible.height())) {
            return std::nullopt;
        }
    }
    if (screen_->root_depth <= 16) {
        return picture.convertToFormat(QImage::Format_RGB16);
    }
    return picture;
}

bool X11Grabber::decodeInto(QImage& picture, const QPoint& at, const xcb_get_image_reply_t& reply,
                            int width, int height) {
    const xcb_setup_t* setup = xcb_get_setup(connection_.get());
    int bitsPerPixel = 0;
    int scanlinePad = 0;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
         xcb_format_next(&formats)) {
        if (formats.data->depth == reply.depth) {
            bitsPerPixel = formats.data->bits_per_pixel;
            scanlinePad = formats.data->scanline_pad;
        }
    }
    const xcb_visualtype_t* visual = nullptr;
    for (auto depths = xcb_screen_allowed_depths_iterator(screen_); depths.rem > 0 && !visual;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == reply.visual) {
                visual = visuals.data;
                break;
            }
        }
    }
    // Palette displays are long gone; only direct colour can be read here.
    if (visual == nullptr || (visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR &&
                              visual->_class != XCB_VISUAL_CLASS_DIRECT_COLOR)) {
        return false;
    }
    if ((bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) || scanlinePad <= 0) {
        return false;
    }
    const size_t stride =
        static_cast<size_t>((width * bitsPerPixel + scanlinePad - 1) / scanlinePad) * scanlinePad /
        8;
    const auto* data = xcb_get_image_data(&reply);
    if (static_cast<size_t>(xcb_get_image_data_length(&reply)) < stride * height) {
        return false;
    }
    const bool lsbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const int bytes = bitsPerPixel / 8;
    const bool plain = bitsPerPixel == 32 && lsbFirst && visual->red_mask == 0xFF0000u &&
                       visual->green_mask == 0xFF00u && visual->blue_mask == 0xFFu;
    const Channel red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data + stride * y;
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(at.y() + y)) + at.x();
        if (plain) {
            for (int x = 0; x < width; ++x) {
                uint32_t pixel;
                std::memcpy(&pixel, row + 4 * x, 4);
                line[x] = 0xFF000000u | pixel;
            }
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + bytes * x;
            uint32_t pixel = 0;
            for (int b = 0; b < bytes; ++b) {
                const int shift = lsbFirst ? 8 * b : 8 * (bytes - 1 - b);
                pixel |= static_cast<uint32_t>(p[b]) << shift;
            }
            line[x] = qRgb(red.value(pixel), green.value(pixel), blue.value(pixel));
        }
    }
    return true;
}
