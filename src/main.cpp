#include "app/run_sequence.h"

int main(int argc, char** argv) {
  return mailsift::run_main(argc, argv);
}
