#include "ClassesFiler.h"
#include "ClassesStreams.h"

void TWriter::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  FText += (Prefix.empty() ? "" : Prefix + ".") + Name + " =";
  WriteData(this);
  FText += "\n";
}

void TWriter::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                                   bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream data;
  WriteData(&data);
  static const char* digits = "0123456789ABCDEF";
  std::string hex;
  const auto* p = static_cast<const unsigned char*>(data.Memory());
  for (int64_t i = 0; i < data.Size(); ++i) {
    hex += digits[p[i] >> 4];
    hex += digits[p[i] & 15];
  }
  FText += (Prefix.empty() ? "" : Prefix + ".") + Name + " = {" + hex + "}\n";
}

void TWriter::Value(const std::string& V) { FText += " " + V; }
void TWriter::WriteListBegin() { Value("("); }
void TWriter::WriteListEnd() { Value(")"); }
void TWriter::WriteInteger(int64_t Value) { this->Value(std::to_string(Value)); }
void TWriter::WriteBoolean(bool Value) { this->Value(Value ? "True" : "False"); }

// Printable characters inside quotes (a quote doubled), every other byte as #n.
void TWriter::WriteString(const std::string& Value) {
  std::string out;
  bool quoted = false;
  for (unsigned char c : Value) {
    bool plain = c >= 32 && c < 127;
    if (plain != quoted) {
      out += '\'';
      quoted = plain;
    }
    if (plain) {
      out += char(c);
      if (c == '\'') out += '\'';
    } else {
      out += "#" + std::to_string(c);
    }
  }
  if (quoted) out += '\'';
  if (out.empty()) out = "''";
  this->Value(out);
}
