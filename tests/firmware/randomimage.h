// A firmware image of random bytes, the same for the same size.
#pragma once

#include <QByteArray>
#include <QRandomGenerator>

inline QByteArray randomImage(int size)
{
    QRandomGenerator random(size);
    QByteArray image(size, '\0');
    for (char& c : image)
        c = char(random.bounded(256));
    return image;
}
