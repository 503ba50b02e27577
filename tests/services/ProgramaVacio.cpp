// The body of the version fixtures: the resources are what the tests read.
int main() { return 0; }
