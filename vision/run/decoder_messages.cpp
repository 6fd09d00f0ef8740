#include "decoder_messages.hpp"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstring>

extern "C" {
#include <libavutil/log.h>
}

namespace Orvanta {

namespace {

thread_local long refused = 0;
// The messages shown: as the log was set up before, by OpenCV from its settings.
std::atomic<int> shownLevel{AV_LOG_QUIET}, watchedLevel{INT_MIN};

// The converter's messages at error level are its refusals of a picture; it names itself by its
// class. Everything else is shown as before.
void onMessage(void* source, int level, const char* format, va_list arguments) {
  const AVClass* const* kind = static_cast<const AVClass* const*>(source);
  if (level <= AV_LOG_ERROR && kind && *kind && std::strcmp((*kind)->class_name, "SWScaler") == 0)
    ++refused;
  else if (level <= shownLevel)
    av_log_default_callback(source, level, format, arguments);
}

}  // namespace

void watchDecoderMessages() {
  const int level = av_log_get_level();
  if (level != watchedLevel) {  // set up anew
    shownLevel = level;
    watchedLevel = std::max(level, AV_LOG_ERROR);
    av_log_set_level(watchedLevel);
  }
  av_log_set_callback(onMessage);
}

long refusedConversions() {
  return refused;
}

}  // namespace Orvanta
