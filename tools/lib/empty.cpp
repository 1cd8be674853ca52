// Keeps the library non-empty while the writers are being built.
