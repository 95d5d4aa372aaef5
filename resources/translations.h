#pragma once

// Installs the English singular and plural forms of the texts that hold a count, so that
// "%n process group(s)" reads "1 process group" or "2 process groups". Every other text is
// shown as written. Call once the application object exists.
void installTranslations();
