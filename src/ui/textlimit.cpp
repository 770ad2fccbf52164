#include "ui/textlimit.h"

namespace pinwright {

Utf8ByteLimit::Utf8ByteLimit(int maxBytes, QObject* parent)
    : QValidator(parent), MaxBytes(maxBytes) {}

QValidator::State Utf8ByteLimit::validate(QString& input, int&) const {
  return input.toUtf8().size() <= MaxBytes ? Acceptable : Invalid;
}

}  // namespace pinwright
