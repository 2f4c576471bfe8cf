// A locale with a decimal comma for the whole process, for the locale-independence tests.
#pragma once

#include <clocale>
#include <locale>

// Switches the whole process, the C library and the streams made from now on, to a locale
// with a decimal comma while it lives.
class TCommaLocale {
 public:
  TCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
      if (std::setlocale(LC_ALL, name)) {
        std::locale::global(std::locale(name));
        FActive = true;
        break;
      }
    }
  }
  ~TCommaLocale() {
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
  }
  bool Active() const { return FActive; }

 private:
  bool FActive = false;
};
