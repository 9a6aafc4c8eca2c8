// Linked with one folder's whole library and the folders it may use, and
// nothing else: a call into a folder above it is an undefined reference.
int main() { return 0; }
