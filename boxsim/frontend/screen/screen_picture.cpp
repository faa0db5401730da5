#include "boxsim/frontend/screen/screen_picture.h"

#include "boxsim/frontend/screen/screen_painter.h"

#include <SDL_image.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace boxsim {

ScreenPicture::ScreenPicture(std::string& error) {
    font_ = std::make_unique<ScreenFont>(16, error);
    if (!font_->ok())
        return;
    surface_ =
        SDL_CreateRGBSurfaceWithFormat(0, screenWidth, screenHeight, 32, SDL_PIXELFORMAT_RGBA32);
    if (surface_)
        renderer_ = SDL_CreateSoftwareRenderer(surface_);
    if (!renderer_)
        error = std::string("cannot draw the screen: ") + SDL_GetError();
}

ScreenPicture::~ScreenPicture() {
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (surface_)
        SDL_FreeSurface(surface_);
}

void ScreenPicture::paintWindow(const WidgetNode& window) {
    ScreenPainter(renderer_, *font_).paintWindow(window);
    SDL_RenderPresent(renderer_);
}

void ScreenPicture::paintHostScreen(const HostScreen& host) {
    ScreenPainter(renderer_, *font_).paintHostScreen(host);
    SDL_RenderPresent(renderer_);
}

namespace {

// Writes all of bytes to path; false with the reason in error. A file it
// made and could not finish is removed, so that no broken picture is left.
bool write_file(const std::string& path, const std::vector<unsigned char>& bytes,
                std::string& error) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    int write_error = 0;
    for (std::size_t done = 0; done < bytes.size() && !write_error;) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n == 0)
            write_error = ENOSPC; // a file that takes nothing is full
        else if (errno != EINTR)
            write_error = errno;
    }
    struct stat st {};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const int close_error = close(fd) == 0 ? 0 : errno;
    if (!write_error && !close_error)
        return true;
    error = std::strerror(write_error ? write_error : close_error);
    if (regular)
        unlink(path.c_str());
    return false;
}

} // namespace

bool ScreenPicture::save(const std::string& path, std::string& error) const {
    // Made in memory first, so that every failure to write is the file's
    // own and is seen: a PNG of this screen is well under its raw size.
    std::vector<unsigned char> png(4 * screenWidth * screenHeight + (1 << 20));
    SDL_RWops* memory = SDL_RWFromMem(png.data(), static_cast<int>(png.size()));
    if (!memory || IMG_SavePNG_RW(surface_, memory, 0) != 0) {
        error = IMG_GetError();
        if (memory)
            SDL_RWclose(memory);
        return false;
    }
    png.resize(static_cast<std::size_t>(SDL_RWtell(memory)));
    SDL_RWclose(memory);
    return write_file(path, png, error);
}

} // namespace boxsim
