// MHomePage: opens the program's home page in the default browser.
#pragma once

#include <QString>

// Nothing is reported, as nothing reads a result.
namespace MHomePage {

void OpenHomePage(const QString& address);

}  // namespace MHomePage
