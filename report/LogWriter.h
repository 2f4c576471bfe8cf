// Report writers: one interface through which every report is written, rendered as
// HTML fragments, as indented plain text, or fanned out to several writers at once.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/ByteStream.h"
#include "base/Verbatim.h"

namespace ambrel {

class TLogWriter {
 public:
  TLogWriter() = default;
  virtual ~TLogWriter() = default;
  TLogWriter(const TLogWriter&) = delete;
  TLogWriter& operator=(const TLogWriter&) = delete;

  virtual void WriteTitle(const std::string& Title) = 0;
  virtual void WriteSeparator() = 0;
  virtual void WriteLine(const std::string& Text) = 0;
  virtual void WriteRaw(const std::string& Text) = 0;
  virtual void WriteField(const std::string& Name, const std::string& Value) = 0;
  virtual void BeginList() = 0;
  virtual void WriteListItem(const std::string& Text) = 0;
  virtual void WriteListField(const std::string& Name, const std::string& Value) = 0;
  virtual void EndList() = 0;
  // Writes the whole buffer to FileName. Returns false when the file could not be
  // written completely; callers that have nowhere to report it may ignore that.
  virtual bool SaveToFile(const std::string& FileName);
  // Appends all of Other's bytes at this writer's position.
  virtual void AppendWriter(TLogWriter& Other);
  // Rewinds the buffer: the next write starts it afresh.
  virtual void ResetWriter();
  // False when whatever is written is dropped, so that a producer may skip building it.
  virtual bool KeepsText() const { return true; }

  // All bytes of the buffer, whatever the position.
  std::string GetText() const { return std::string(FStream.Bytes()); }
  TByteStream& GetStream() { return FStream; }

 protected:
  TByteStream FStream;
};

class THTMLWriter : public TLogWriter {
 public:
  void WriteTitle(const std::string& Title) override;
  void WriteSeparator() override;
  void WriteLine(const std::string& Text) override;
  void WriteRaw(const std::string& Text) override;
  void WriteField(const std::string& Name, const std::string& Value) override;
  void BeginList() override;
  void WriteListItem(const std::string& Text) override;
  void WriteListField(const std::string& Name, const std::string& Value) override;
  void EndList() override;

 private:
  void WriteParts(std::initializer_list<std::string_view> Parts);

  std::string FRaw, FRendered, FTrimmed;  // line buffers, reused
};

class TTxtWriter : public TLogWriter {
 public:
  void WriteTitle(const std::string& Title) override;
  void WriteSeparator() override;
  void WriteLine(const std::string& Text) override;
  void WriteRaw(const std::string& Text) override;
  void WriteField(const std::string& Name, const std::string& Value) override;
  void BeginList() override;
  void WriteListItem(const std::string& Text) override;
  void WriteListField(const std::string& Name, const std::string& Value) override;
  void EndList() override;

  int32_t ListLevel() const { return FListLevel; }

 private:
  void WriteParts(std::initializer_list<std::string_view> Parts);
  std::string_view ListIndent();

  int32_t FListLevel = 0;
  std::string FRaw, FRendered, FTrimmed, FIndent;  // line buffers, reused
};

// Drops everything written to it: stands in for an output nobody reads.
class TNullWriter : public TLogWriter {
 public:
  void WriteTitle(const std::string&) override {}
  void WriteSeparator() override {}
  void WriteLine(const std::string&) override {}
  void WriteRaw(const std::string&) override {}
  void WriteField(const std::string&, const std::string&) override {}
  void BeginList() override {}
  void WriteListItem(const std::string&) override {}
  void WriteListField(const std::string&, const std::string&) override {}
  void EndList() override {}
  bool SaveToFile(const std::string&) override { return true; }
  void AppendWriter(TLogWriter&) override {}
  bool KeepsText() const override { return false; }
};

// The writing calls as data, so that a writer may take them down (to forward them to other
// writers, or to send them to another process) and replay them into another writer.
enum class TWriterCall : uint8_t { Title, Separator, Line, Raw, Field, BeginList, ListItem, ListField, EndList };
inline constexpr uint8_t kWriterCallCount = 9;

// How many texts Call takes: 0, 1 or 2.
int WriterCallTexts(TWriterCall Call);
// Makes Call on W with the texts it takes (the others are ignored).
void ReplayCall(TLogWriter& W, TWriterCall Call, const std::string& A, const std::string& B);

// A writer that takes every writing call as one: Take, with the call's texts (empty for
// the texts the call does not take).
class TCallWriter : public TLogWriter {
 public:
  void WriteTitle(const std::string& Title) final { Take(TWriterCall::Title, Title, kNoText); }
  void WriteSeparator() final { Take(TWriterCall::Separator, kNoText, kNoText); }
  void WriteLine(const std::string& Text) final { Take(TWriterCall::Line, Text, kNoText); }
  void WriteRaw(const std::string& Text) final { Take(TWriterCall::Raw, Text, kNoText); }
  void WriteField(const std::string& Name, const std::string& Value) final { Take(TWriterCall::Field, Name, Value); }
  void BeginList() final { Take(TWriterCall::BeginList, kNoText, kNoText); }
  void WriteListItem(const std::string& Text) final { Take(TWriterCall::ListItem, Text, kNoText); }
  void WriteListField(const std::string& Name, const std::string& Value) final {
    Take(TWriterCall::ListField, Name, Value);
  }
  void EndList() final { Take(TWriterCall::EndList, kNoText, kNoText); }

 protected:
  virtual void Take(TWriterCall Call, const std::string& A, const std::string& B) = 0;

 private:
  static const std::string kNoText;
};

// Forwards every operation to its targets, in the order they were added. Owns neither
// the targets nor a buffer of its own.
class TMultiWriter : public TCallWriter {
 public:
  void AddWriter(TLogWriter* Writer) { FWriters.push_back(Writer); }

  bool SaveToFile(const std::string& FileName) override;
  void AppendWriter(TLogWriter& Other) override;
  void ResetWriter() override;
  bool KeepsText() const override;

 private:
  void Take(TWriterCall Call, const std::string& A, const std::string& B) override;

  std::vector<TLogWriter*> FWriters;
};

// Removes every leading and trailing byte whose code is 32 or below (looking through
// Verbatim() wrappings).
std::string Trim(std::string_view text);

// Where the first "http://" or "https://" address of Text starts; npos when there is none.
size_t FindAddress(std::string_view Text);

// Turns the first free-standing "http://" or "https://" address of Text into a link.
std::string MakeLinks(const std::string& Text);

}  // namespace ambrel
