#pragma once
// The cipher's key on every write: the local date and time as
// "ss:nn:hh dd/mm/yyyy" with the locale's time and date separators.
#include <string>

#include "platform/Clock.h"

namespace kvr {

std::string KeyStamp(const platform::LocalTime& time);
std::string KeyStamp();  // from the local clock

}  // namespace kvr
