#include "engine/core/Types.h"

#include <string>

namespace foliant::engine {

// The name of a value type as error messages and dumps show it.
std::string ValueTypeName(ValueType t) {
    switch (t) {
    case ValueType::Int8:
        return "int8";
    case ValueType::UInt8:
        return "uint8";
    case ValueType::Int16:
        return "int16";
    case ValueType::UInt16:
        return "uint16";
    case ValueType::Int32:
        return "int32";
    case ValueType::UInt32:
        return "uint32";
    case ValueType::Number:
        return "number";
    case ValueType::Currency:
        return "currency";
    case ValueType::Boolean:
        return "Boolean";
    case ValueType::Date:
        return "date";
    case ValueType::Time:
        return "time";
    case ValueType::String:
        return "string";
    case ValueType::Bytes:
        return "bytes";
    case ValueType::LongText:
        return "long text";
    case ValueType::Unknown:
        return "unknown";
    case ValueType::DateTime:
        return "date-time";
    case ValueType::Picture:
        return "picture";
    case ValueType::Icon:
        return "icon";
    case ValueType::Bitmap:
        return "bitmap";
    case ValueType::Chart:
        return "chart";
    case ValueType::OleObject:
        return "OLE object";
    case ValueType::Blob:
        return "blob";
    }
    return "value type " + std::to_string(static_cast<int>(t));
}

} // namespace foliant::engine
