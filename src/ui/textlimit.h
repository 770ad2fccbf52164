// Keeps an edit field's text within the bytes its record field can hold: the record stores
// UTF-8 text of at most 127 bytes, while the field's own limit counts characters.
#pragma once

#include <QValidator>

namespace pinwright {

class Utf8ByteLimit : public QValidator {
 public:
  Utf8ByteLimit(int maxBytes, QObject* parent);

  State validate(QString& input, int& position) const override;

 private:
  int MaxBytes;
};

}  // namespace pinwright
