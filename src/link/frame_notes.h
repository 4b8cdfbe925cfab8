#pragma once

#include <QByteArray>
#include <QString>

// The traffic journal's words for a frame on the line.

// What a request asks: "идентификация", "опрос", "чтение версии",
// "чтение блока 3", "запись блока 3", "применение"; any other function
// "функция 3".
QString RequestNote(const QByteArray& request);

// What an answer is, judged against the request it followed (empty when
// none is known): "ответ", "исключение 02", "короткий ответ: 5 из 28 байт",
// "ошибка CRC", or the channel's foreign-answer text.
QString AnswerNote(const QByteArray& request, const QByteArray& answer);
