// Fuzzes the help file loader: whatever the bytes, readHelpTopics must stay inside them,
// hold memory in proportion to them, report the number of topics it kept, and the topics
// must save and load back unchanged. A file that loads completely saves back to the very
// bytes it was read from (bytes after the last topic aside).
#include "data/helpfile.h"
#include "fuzz/fuzzsupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietTraces();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return checkLoader<HelpTopics, FileReport>(
        QByteArrayView(data, qsizetype(size)), readHelpTopics, writeHelpTopics,
        [](const FileReport &report, const HelpTopics &topics) {
            return report.topics == topics.size();
        });
}
