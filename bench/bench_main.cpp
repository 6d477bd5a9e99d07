// PLACEHOLDER: replaced by the header-extraction work.
int main() { return 0; }
