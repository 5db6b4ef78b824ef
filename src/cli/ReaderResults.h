#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <vector>

#include "reader/ConnectedReader.h"
#include "reader/ReaderSettings.h"

namespace kx12r::cli {

// What a command came to on one reader.
enum class Outcome {
  kWritten,
  kUnconfirmed,  // written, but what was read back differs
  kRefused,      // the reader refused a parameter
  kUntouched,    // an apply stopped before this reader
  kNotConfigurable,
  kNoAccess,
  kSilent,  // it never answered within its grace
  kEqual,
  kDifferent,
  kSaved,
  kNotSaved,
  kIdentified,
  kNotIdentified,  // the last: the table of words checks its length against it
};

// One reader's result, for a person (the message) and for a script (the fixed word).
struct ReaderResult {
  QString serial;
  FirmwareVersion firmware;
  QString product_id;  // for the message on access, not printed
  Outcome outcome = Outcome::kUntouched;
  // The parameter that failed; for a comparison, every parameter that differs. People read
  // them by their captions, scripts by the keys `list` uses.
  std::vector<SettingsKey> parameters;
  // A result of compare: its JSON has "differing" even where nothing could be compared.
  bool of_comparison = false;
  // What the reader held when it was listed, and what a write read back from it, when known.
  std::optional<ReaderValues> before;
  std::optional<ReaderValues> read_back;
  // Further keys of its JSON: the values compared, or read before and after a write.
  QJsonObject values;

  QString Word() const;
  QString Message() const;
  // {"serial", "firmware", "result", "parameter", "message"}; a result of compare adds
  // "differing", null for a reader that could not be compared.
  QJsonObject Json() const;
};

ReaderResult ResultFor(const ConnectedReader& reader, Outcome outcome,
                       std::vector<SettingsKey> parameters = {});

// Why a reader with this firmware cannot be configured: its version, the one it needs, and the
// window's warning for that version.
QString OldReaderText(const QString& serial, const FirmwareVersion& firmware);

// Aligned columns for people.
void PrintTable(QTextStream& out, const std::vector<QStringList>& rows);

// The results as a table of serial numbers and messages, or with `json` as one document
// {"readers": [...]} with the keys of `document` beside it.
void PrintResults(QTextStream& out, const std::vector<ReaderResult>& results, bool json,
                  QJsonObject document = {});

}  // namespace kx12r::cli
