// Keeps the tool support library non-empty.
