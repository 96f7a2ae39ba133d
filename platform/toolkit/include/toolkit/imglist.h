// The image list: pictures of one size for menus and the tray icon.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/graphics.h"

#include <vector>

class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    int Width = 16;
    int Height = 16;

    int Count() const;
    // Adds a copy of the picture (the mask is not kept); returns its index.
    int Add(const TBitmap& image, const TBitmap* mask = nullptr);
    // Out of range throws EInvalidOperation "Invalid image index".
    const TBitmap& Images(int index) const;
    void Delete(int index);
    void Clear();

    const char* ClassName() const override;

private:
    std::vector<TBitmap*> images_;
};
