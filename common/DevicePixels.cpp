#include "DevicePixels.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace DevicePixels {

QSize CoveringSize(QSize deviceSize, qreal ratio) {
    if (ratio <= 0) {
        ratio = 1;
    }
    // The small allowance keeps 810 / 1.5 at 540 when the division lands a
    // hair above.
    const auto cover = [ratio](int pixels) {
        return static_cast<int>(std::ceil(pixels / ratio - 1e-6));
    };
    return {cover(deviceSize.width()), cover(deviceSize.height())};
}

namespace {

// WM_SIZE_HINTS, as ICCCM lays it out: 18 CARD32s.
constexpr int kHintFields = 18;
constexpr uint32_t kUserSize = 1u << 1;
constexpr uint32_t kProgramSize = 1u << 3;
constexpr uint32_t kMinimumSize = 1u << 4;
constexpr uint32_t kMaximumSize = 1u << 5;
constexpr uint32_t kResizeIncrement = 1u << 6;
constexpr uint32_t kBaseSize = 1u << 8;
constexpr int kFlags = 0;
constexpr int kWidth = 3;
constexpr int kHeight = 4;
constexpr int kMinimum = 5;
constexpr int kMaximum = 7;

// Qt asks the window manager for sizes in steps of the scale factor, so
// that a window stays a whole number of points; a picture's window must be
// free of that.
void DropSizeSteps(xcb_connection_t* connection, xcb_window_t window, QSize size) {
    const xcb_atom_t hints = XCB_ATOM_WM_NORMAL_HINTS;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, hints, XCB_ATOM_WM_SIZE_HINTS, 0, kHintFields),
        nullptr);
    uint32_t fields[kHintFields] = {};
    if (reply != nullptr && reply->format == 32) {
        const int length = std::min(kHintFields, xcb_get_property_value_length(reply) / 4);
        std::memcpy(fields, xcb_get_property_value(reply), static_cast<size_t>(length) * 4);
    }
    std::free(reply);
    fields[kFlags] &= ~(kResizeIncrement | kBaseSize | kProgramSize);
    fields[kFlags] |= kUserSize;
    fields[kWidth] = static_cast<uint32_t>(size.width());
    fields[kHeight] = static_cast<uint32_t>(size.height());
    // A fixed window is fixed at the size in device pixels.
    for (const auto& [flag, at] : {std::pair{kMinimumSize, kMinimum}, {kMaximumSize, kMaximum}}) {
        if (fields[kFlags] & flag) {
            fields[at] = fields[kWidth];
            fields[at + 1] = fields[kHeight];
        }
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, hints, XCB_ATOM_WM_SIZE_HINTS,
                        32, kHintFields, fields);
}

}  // namespace

void FitWindow(QWidget* window, QSize deviceSize) {
    if (window == nullptr || !window->isWindow() || deviceSize.isEmpty() ||
        !window->testAttribute(Qt::WA_WState_Created)) {
        return;
    }
    const qreal ratio = window->devicePixelRatioF();
    if (ratio == 1.0 && window->size() == deviceSize) {
        return;
    }
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    DropSizeSteps(connection, id, deviceSize);
    const uint32_t size[] = {static_cast<uint32_t>(deviceSize.width()),
                             static_cast<uint32_t>(deviceSize.height())};
    xcb_configure_window(connection, id, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(connection);
}

}  // namespace DevicePixels
