// File uploads: the multipart body parser and the saving of each file in the
// session folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The states of the upload parser (SFSEndFile is never entered).
enum class TStreamFileStatus { SFSNone, SFSWaitingFile, SFSCreateFile, SFSWriteFile, SFSEndFile };

struct TMultipartFile {
  std::string FileName;      // as sent by the browser
  std::string_view Content;  // points into the body
};

// The file parts of a multipart body, in order. A part without a file name
// is skipped; a part whose closing delimiter is missing is dropped.
std::vector<TMultipartFile> ReadMultipartFormData(std::string_view ABody,
                                                  std::string_view ABoundary);

// The base name of an uploaded file name (the text after the last "/" or
// "\\"), or empty when it cannot be used safely: empty, "." or "..", control
// characters, invalid UTF-8 or longer than 255 bytes.
std::string SafeUploadFileName(std::string_view AName);

// Writes AContent in AFolder (created when missing) under AFileName, or, when
// that name is taken, under stem + n + extension for n = 1, 2, 3, ...; never
// overwrites or follows a link. Returns the full path written; throws with a
// clear message when the file cannot be written.
std::string SaveUploadedFile(const std::string& AFolder, const std::string& AFileName,
                             std::string_view AContent);

}  // namespace orvane
