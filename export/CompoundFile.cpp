#include "CompoundFile.h"

#include "ByteSink.h"
#include "GsfLibrary.h"
#include "MExcept.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>

#include <string>

namespace {

// A stream of the container as a byte sink. Small writes are gathered, so
// that the container sees a few large ones.
class GsfStreamSink : public MByteSink {
public:
    explicit GsfStreamSink(GsfOutput* stream) : m_stream(stream) {}

    void WriteBytes(const void* data, std::size_t size) override {
        m_pending.append(static_cast<const char*>(data), size);
        if (m_pending.size() >= kBlockSize)
            Flush();
    }
    std::uint64_t Tell() override {
        return static_cast<std::uint64_t>(gsf_output_tell(m_stream)) + m_pending.size();
    }
    void SeekTo(std::uint64_t position) override {
        Flush();
        if (!gsf_output_seek(m_stream, static_cast<gsf_off_t>(position), G_SEEK_SET))
            throw MExceptFileWriteError();
    }
    void Flush() {
        if (m_pending.empty())
            return;
        if (!gsf_output_write(m_stream, m_pending.size(),
                              reinterpret_cast<const guint8*>(m_pending.data())))
            throw MExceptFileWriteError();
        m_pending.clear();
    }

private:
    static constexpr std::size_t kBlockSize = 64 * 1024;
    GsfOutput* m_stream;
    std::string m_pending;
};

void Unref(void* object) {
    if (object != nullptr)
        g_object_unref(object);
}

} // namespace

struct CompoundFile::Objects {
    GsfOutput* memory = nullptr;
    GsfOutfile* container = nullptr;
    GsfOutput* stream = nullptr;
    std::unique_ptr<GsfStreamSink> sink;

    ~Objects() {
        Unref(stream);
        Unref(container);
        Unref(memory);
    }
};

CompoundFile::CompoundFile(const char* streamName) : m_objects(std::make_unique<Objects>()) {
    InitGsfLibrary();
    m_objects->memory = gsf_output_memory_new();
    if (m_objects->memory != nullptr)
        m_objects->container = gsf_outfile_msole_new(m_objects->memory);
    if (m_objects->container != nullptr)
        m_objects->stream = gsf_outfile_new_child(m_objects->container, streamName, FALSE);
    if (m_objects->stream == nullptr)
        throw MExceptFileOpenError();
    m_objects->sink = std::make_unique<GsfStreamSink>(m_objects->stream);
}

CompoundFile::~CompoundFile() = default;

MByteSink& CompoundFile::Stream() {
    return *m_objects->sink;
}

void CompoundFile::WriteTo(MByteSink& out) {
    m_objects->sink->Flush();
    // Closing the container closes the memory it was written to.
    if (!gsf_output_close(m_objects->stream) || !gsf_output_close(GSF_OUTPUT(m_objects->container)))
        throw MExceptFileWriteError();
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(m_objects->memory));
    out.WriteBytes(bytes, static_cast<std::size_t>(gsf_output_size(m_objects->memory)));
}
