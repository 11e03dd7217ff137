#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "SysUtils.h"
#include "yOZCB.h"

namespace {

void RecordBox(const std::string& Text, TStoreMsgBoxType) { ShownMessageBoxes.push_back(Text); }

}  // namespace

std::vector<std::string> ShownMessageBoxes;

void RecordMessageBoxes() {
  ShownMessageBoxes.clear();
  StoreMessageBox = RecordBox;
}

std::string ReadWholeFile(const std::string& FileName) {
  std::ifstream f(FileName, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteWholeFile(const std::string& FileName, const std::string& Text) {
  std::ofstream f(FileName, std::ios::binary | std::ios::trunc);
  f << Text;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < Text.size()) {
    size_t end = Text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(Text.substr(start));
      break;
    }
    lines.push_back(Text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> RunAtOnce(int Count, const std::function<void(int)>& Work) {
  std::atomic<int> waiting{Count};
  std::vector<std::string> failures(Count);
  std::vector<std::thread> threads;
  for (int i = 0; i < Count; ++i)
    threads.emplace_back([&, i] {
      --waiting;
      while (waiting.load() > 0) std::this_thread::yield();
      try {
        Work(i);
      } catch (const Exception& e) {
        failures[i] = e.Message;
      } catch (const std::exception& e) {
        failures[i] = e.what();
      }
    });
  for (std::thread& t : threads) t.join();
  std::vector<std::string> raised;
  for (const std::string& f : failures)
    if (!f.empty()) raised.push_back(f);
  return raised;
}

std::string Raised(const std::function<void()>& Op) {
  try {
    Op();
  } catch (const Exception& e) {
    return e.Message;
  }
  return "no exception";
}

void PutText(uint8_t* Rec, size_t Offset, size_t Size, const std::string& Text) {
  std::memset(Rec + Offset, 0, Size);
  std::memcpy(Rec + Offset, Text.data(), std::min(Text.size(), Size - 1));
}

std::string GetText(const uint8_t* Rec, size_t Offset, size_t Size) {
  const char* p = reinterpret_cast<const char*>(Rec + Offset);
  return std::string(p, strnlen(p, Size));
}

void PutInt(uint8_t* Rec, size_t Offset, int16_t Value) { std::memcpy(Rec + Offset, &Value, 2); }

int16_t GetInt(const uint8_t* Rec, size_t Offset) {
  int16_t v;
  std::memcpy(&v, Rec + Offset, 2);
  return v;
}

void SetDatabaseFolder(const std::string& Folder) {
  TyOZCB cb;
  TyOZCBRec rec;
  cb.LoadSettings(rec);
  rec.yOZDBasePath = Folder;
  cb.SaveSettings(rec);
}
