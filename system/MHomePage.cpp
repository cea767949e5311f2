#include "system/MHomePage.h"

#include <QDesktopServices>
#include <QUrl>

namespace MHomePage {

void OpenHomePage(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    // Only web addresses: anything else is not a home page to hand a browser.
    if (url.isValid() && (url.scheme() == u"https" || url.scheme() == u"http")) {
        QDesktopServices::openUrl(url);
    }
}

}  // namespace MHomePage
