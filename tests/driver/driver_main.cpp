#include "driver.h"
int main() { return 0; }
