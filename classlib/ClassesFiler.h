// Form resources: the reader and writer of form text.
//
// Text of `object Name: TClass ... end` blocks. The reader creates the components through the class
// registry, sets published properties (extra ones through DefineProperties), binds events through the
// root's published methods, resolves references after the whole text is read (also to components of
// other roots registered with RegisterGlobalRoot; a component's reference that names nothing yet is set
// when such a root comes) and then calls Loaded on every component it read, root first. Damaged text
// raises EParserError naming the line; components created by a failed read are freed again.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ClassesCore.h"

class EParserError : public EReadError {
public:
  int Line = 0;
  EParserError(const std::string& Msg, int ALine);
};

class TWriter;
using TReaderProc = std::function<void(TReader*)>;
using TWriterProc = std::function<void(TWriter*)>;
using TStreamProc = std::function<void(TStream*)>;

class TFiler : public TObject {
  YOZ_CLASS(TFiler, TObject)
public:
  virtual void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
  virtual void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;
  TComponent* Root() const { return FRoot; }

protected:
  TComponent* FRoot = nullptr;
};

enum TValueType { vaNull, vaList, vaInt, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary, vaSet, vaCollection, vaNil };

namespace FormText {
struct TValue;
struct TObjectNode;
}  // namespace FormText

// Hands the value of a defined property to its read procedure, one value at a time.
class TReader : public TFiler {
  YOZ_CLASS(TReader, TFiler)
public:
  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;
  TValueType NextValue() const;
  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  std::string ReadString();
  std::string ReadIdent();
  void ReadListBegin();
  void ReadListEnd();
  bool EndOfList() const;
  TComponent* Owner() const { return FOwner; }
  TComponent* Parent() const { return FParent; }
  int Line() const;   // line of the value being read
  // Reads the properties and children of the object being read into Instance.
  void ReadData(TComponent* Instance);

private:
  TReader() = default;
  const FormText::TValue& Current() const;
  void Advance();
  [[noreturn]] void Fail(const std::string& Msg) const;

  struct TCursor {
    const FormText::TValue* Items;
    size_t Count;
    size_t Index;
  };
  std::vector<TCursor> FStack;
  std::string FPropName;          // the defined property being looked for
  const FormText::TValue* FValue = nullptr;
  bool FMatched = false;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  class TFormReader* FEngine = nullptr;
  const FormText::TObjectNode* FNode = nullptr;
  friend class TFormReader;
};

// Writes the values of defined properties as form text: the writing side of DefineProperties.
//     TWriter w;  Obj->DefineProperties(&w);  w.Text()  ->  "TableList = ( 'Default' True ( ) )\n"
class TWriter : public TFiler {
  YOZ_CLASS(TWriter, TFiler)
public:
  TWriter() = default;
  // Writes "Name = <values>" and a line break when HasData and there is a write procedure.
  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;
  void WriteListBegin();
  void WriteListEnd();
  void WriteInteger(int64_t Value);
  void WriteBoolean(bool Value);
  void WriteString(const std::string& Value);
  // Lines "Prefix.Name = ..." are written when a prefix is set (a sub-object's properties).
  std::string Prefix;
  const std::string& Text() const { return FText; }

private:
  void Value(const std::string& V);
  std::string FText;
};

// Reads form text into Root (or, when Root is nullptr, into a new root made through the registry).
TComponent* ReadComponentFromText(const std::string& Text, TComponent* Root);
// The RCDATA resource ResName of the module (the program when nullptr) read into Root.
// EResNotFound when the resource is missing.
TComponent* ReadComponentRes(const std::string& ResName, TComponent* Root, HMODULE Module = nullptr);
bool ComponentResExists(const std::string& ResName, HMODULE Module = nullptr);
