#include "core/nodes/saved_node.h"

#include "core/cipher/string_cipher.h"

SavedNode readSavedNode(const Settings& settings)
{
    SavedNode node;
    node.lineType = settings.lineType();
    if (node.lineType != 0) {
        node.name = settings.serverName();
        node.address = cipher::decryptText(settings.server());
    }
    return node;
}

const char* localLineText(int lineType)
{
    switch (lineType) {
    case 1:
        return "本地网通线路";
    case 2:
        return "本地电信线路";
    case 3:
        return "铁通或其他线路";
    default:
        return nullptr;
    }
}
