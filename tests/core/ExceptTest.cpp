#include "MExcept.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// The text a handler catching the family sees for a raised exception.
std::string MessageOf(const std::function<void()>& raise) {
    try {
        raise();
    } catch (const MExcept& error) {
        return error.Message();
    }
    return "(nothing raised)";
}

// Whether a handler that catches only the file errors sees the exception.
bool SeenByFileHandler(const std::function<void()>& raise) {
    try {
        try {
            raise();
        } catch (const MExceptFile&) {
            return true;
        }
    } catch (const MExcept&) {
        return false;
    }
    return false;
}

template <typename E> void Raise() {
    throw E();
}

} // namespace

TEST(ExceptTest, EveryClassGivesItsOwnTextThroughTheBase) {
    EXPECT_EQ(MessageOf(Raise<MExcept>), "Unknown MException");
    EXPECT_EQ(MessageOf(Raise<MExceptOutOfMemory>), "Out of memory");
    EXPECT_EQ(MessageOf(Raise<MExceptFileOpenError>), "File Open error");
    EXPECT_EQ(MessageOf(Raise<MExceptFileBadVersion>), "File has a bad version");
    EXPECT_EQ(MessageOf(Raise<MExceptFileBadFormat>), "File has a bad format");
    EXPECT_EQ(MessageOf(Raise<MExceptFileReadError>), "File had a read error");
    EXPECT_EQ(MessageOf(Raise<MExceptFileWriteError>), "File had a write error");
    EXPECT_EQ(MessageOf(Raise<MExceptBufferExceeded>), "Buffer was exceeded.");
    EXPECT_EQ(MessageOf(Raise<MExceptTimeOutOfRange>), "Time out of range.");
}

TEST(ExceptTest, FileErrorsAreSeenByAFileHandler) {
    EXPECT_TRUE(SeenByFileHandler(Raise<MExceptFileOpenError>));
    EXPECT_TRUE(SeenByFileHandler(Raise<MExceptFileBadVersion>));
    EXPECT_TRUE(SeenByFileHandler(Raise<MExceptFileBadFormat>));
    EXPECT_TRUE(SeenByFileHandler(Raise<MExceptFileReadError>));
    EXPECT_TRUE(SeenByFileHandler(Raise<MExceptFileWriteError>));
}

TEST(ExceptTest, BufferAndTimeErrorsPassAFileHandlerBy) {
    EXPECT_FALSE(SeenByFileHandler(Raise<MExceptBufferExceeded>));
    EXPECT_FALSE(SeenByFileHandler(Raise<MExceptTimeOutOfRange>));
    EXPECT_FALSE(SeenByFileHandler(Raise<MExceptOutOfMemory>));
    EXPECT_FALSE(SeenByFileHandler(Raise<MExcept>));
}

TEST(ExceptTest, FileErrorTextSurvivesCatchingAsFileError) {
    try {
        throw MExceptFileWriteError();
    } catch (const MExceptFile& error) {
        EXPECT_STREQ(error.Message(), "File had a write error");
    }
}
