#include <locale.h>  // newlocale, uselocale (POSIX.1-2008)

#include <clocale>

#include "platform/user_locale.h"

namespace platform {

ScopedUserLocale::ScopedUserLocale() {
  locale_t user = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr)) return;
  locale_t previous = ::uselocale(user);
  if (previous == static_cast<locale_t>(nullptr)) {
    ::freelocale(user);
    return;
  }
  userLocale_ = user;
  previousLocale_ = previous;
}

ScopedUserLocale::~ScopedUserLocale() {
  if (userLocale_ == nullptr) return;
  ::uselocale(static_cast<locale_t>(previousLocale_));
  ::freelocale(static_cast<locale_t>(userLocale_));
}

}  // namespace platform
