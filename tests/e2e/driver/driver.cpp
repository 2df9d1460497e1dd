// Placeholder forms until the owning issue builds this part; delete when replaced.
int main() { return 0; }
