// Fuzzes the help file loader: whatever the bytes, readHelpTopics must stay inside them,
// hold memory in proportion to them, report the number of topics it kept, and the topics
// must save and load back unchanged. A file that loads completely saves back to the very
// bytes it was read from (bytes after the last topic aside).
#include "fuzzsupport.h"
#include "helpfile.h"

#include <QBuffer>
#include <cstdint>

namespace {

QByteArray saved(const HelpTopics &topics)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    expect(writeHelpTopics(buffer, topics), "the writer takes every loaded topic list");
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietTraces();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    HelpTopics topics;
    HelpLoadReport report;
    {
        const AllocationWatch watch;
        report = readHelpTopics(input, topics);
        expect(watch.peak() <= allocationAllowance(size),
               "the loader holds memory in proportion to the file");
    }
    expect(report.status != LoadStatus::NotOpened, "bytes in memory are always opened");
    expect(report.topics == topics.size(), "the report counts the topics kept");
    if (report.status == LoadStatus::BadMagic)
        expect(topics.isEmpty(), "a foreign file yields no topics");

    const QByteArray bytes = saved(topics);
    if (report.status == LoadStatus::Loaded)
        expect(input.startsWith(bytes), "a complete file saves back to its own bytes");

    HelpTopics reloaded;
    const HelpLoadReport again = readHelpTopics(bytes, reloaded);
    expect(again.status == LoadStatus::Loaded, "saved topics load completely");
    expect(reloaded == topics, "saved topics load back unchanged");
    return 0;
}
