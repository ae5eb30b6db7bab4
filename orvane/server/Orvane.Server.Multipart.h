// File uploads: the multipart body reader, which takes the body as it
// arrives and hands each file's content on piece by piece (memory stays
// bounded by the piece read plus the delimiter, whatever the body's size),
// and the writing of each file in the session folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The states of the upload parser (SFSEndFile is never entered).
enum class TStreamFileStatus { SFSNone, SFSWaitingFile, SFSCreateFile, SFSWriteFile, SFSEndFile };

// Reads a multipart/form-data body given in pieces of any size. Parts with
// a file name reach the handlers; other parts (and files chosen empty, with
// an empty name) are skipped. A handler that answers false stops the
// reader, which then takes no more input.
class TMultipartReader {
 public:
  struct THandlers {
    // A file part begins, named as the browser sent it.
    std::function<bool(const std::string& AFileName)> OnFileBegin;
    // The next bytes of its content, unchanged.
    std::function<bool(std::string_view AData)> OnFileData;
    // Its content is complete.
    std::function<bool()> OnFileEnd;
  };

  TMultipartReader(std::string_view ABoundary, THandlers AHandlers);
  // Takes the next piece of the body; false once the body was refused by a
  // handler or is malformed (a part's head longer than 16 KiB, no boundary).
  bool Feed(std::string_view AData);
  // The closing delimiter was read: every part ended.
  bool Finished() const { return FState == TState::End; }
  bool Failed() const { return FState == TState::Failed; }

 private:
  enum class TState { Preamble, AfterDelimiter, Headers, Content, End, Failed };
  bool Step();
  bool Fail();

  const std::string FDelimiter;  // CRLF "--" boundary
  THandlers FHandlers;
  TState FState;
  std::string FBuffer;
  bool FInFile = false;
  TStreamFileStatus FStatus = TStreamFileStatus::SFSNone;
};

struct TMultipartFile {
  std::string FileName;  // as sent by the browser
  std::string Content;
};

// The file parts of a whole multipart body, in order. A part without a file
// name is skipped; a part whose closing delimiter is missing is dropped.
std::vector<TMultipartFile> ReadMultipartFormData(std::string_view ABody,
                                                  std::string_view ABoundary);

// The base name of an uploaded file name (the text after the last "/" or
// "\\"), or empty when it cannot be used safely: empty, "." or "..", control
// characters, invalid UTF-8 or longer than 255 bytes.
std::string SafeUploadFileName(std::string_view AName);

// The extension a file name is checked by: the text after its last ".",
// lower-cased (the whole name when it has no dot).
std::string UploadFileType(std::string_view AName);

// A file being written in a folder (created when missing) under a name, or,
// when that name is taken, under stem + n + extension for n = 1, 2, 3, ...;
// it never overwrites or follows a link. A file not closed is removed.
class TUploadFileWriter {
 public:
  // Throws with a clear message when the file cannot be created.
  TUploadFileWriter(const std::string& AFolder, const std::string& AFileName);
  ~TUploadFileWriter();
  TUploadFileWriter(const TUploadFileWriter&) = delete;
  TUploadFileWriter& operator=(const TUploadFileWriter&) = delete;
  // Throws when the bytes cannot be written.
  void Write(std::string_view AData);
  // Completes the file; its full path.
  std::string Close();
  // Removes the file.
  void Discard();
  uint64_t Size() const { return FSize; }
  const std::string& Path() const { return FPath; }

 private:
  int FFile = -1;
  std::string FPath;
  uint64_t FSize = 0;
};

// Writes AContent as a TUploadFileWriter does; returns the full path written.
std::string SaveUploadedFile(const std::string& AFolder, const std::string& AFileName,
                             std::string_view AContent);

}  // namespace orvane
