#pragma once

#include <QString>

// Opens the home page in the user's default browser; nothing is reported,
// as nothing reads a result.
namespace MHomePage {

void OpenHomePage(const QString& address);

}  // namespace MHomePage
