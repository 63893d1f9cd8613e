#pragma once

// The grabber's imaging with QImage: stretching, JPEG and bitmap files. QtGui only, so that the
// console front end can use it as well as the desktop.
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstring>

#include "grabber/frame_format.h"
#include "grabber/grab_session.h"

namespace pelorus {

// A view of the first `height` rows of a grab bitmap (no copy: `bitmap` must outlive it).
inline QImage GrabImage(std::span<const uint8_t> bitmap, int height) {
  return QImage(bitmap.data(), kFrameWidth, height, static_cast<qsizetype>(kBitmapStride),
                QImage::Format_BGR888);
}

class QtPictureTools : public PictureTools {
 public:
  void Stretch(std::vector<uint8_t>& bitmap, int width, int height) override {
    width = std::clamp(width, 1, kFrameWidth);
    height = std::clamp(height, 1, kFrameHeight);
    const QImage source(bitmap.data(), width, height, static_cast<qsizetype>(kBitmapStride),
                        QImage::Format_BGR888);
    const QImage stretched =
        source.scaled(kFrameWidth, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_BGR888);
    std::vector<uint8_t> fresh(kBitmapBytes, 0);
    for (int row = 0; row < height; ++row) {
      std::memcpy(fresh.data() + size_t(row) * kBitmapStride, stretched.constScanLine(row),
                  kBitmapStride);
    }
    bitmap.swap(fresh);
  }

  bool Write(const std::string& path, bool jpeg, std::span<const uint8_t> bitmap, int height,
             std::string& reason) override {
    // The picture replaces an old file only once it is whole.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
      reason = file.errorString().toStdString();
      return false;
    }
    QImageWriter writer(&file, jpeg ? QByteArray("jpeg") : QByteArray("bmp"));
    if (jpeg) writer.setQuality(100);
    if (!writer.write(GrabImage(bitmap, height))) {
      reason = writer.errorString().toStdString();
      file.cancelWriting();
      return false;
    }
    if (!file.commit()) {
      reason = file.errorString().toStdString();
      return false;
    }
    return true;
  }

  void Show(std::span<const uint8_t>, int) override {}
};

}  // namespace pelorus
