// What the scanner reads of the run's configuration.
#pragma once

namespace mailsift {

struct ScanOptions {
  // The report's delimiter: the capture rules that join lines replace it
  // in what they capture ("|" for the structured formats).
  char delimiter = '|';
};

}  // namespace mailsift
