// Removed when the first real source of the library lands.
