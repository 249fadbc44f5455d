"""The data the build was given (firmware image, agreement texts) and the
configuration entries a built executable carries, read back for checks."""

import os

import texts

RT_STRING = 6
ENGLISH_LANGUAGE = 1033
JAPANESE_LANGUAGE = 1041


def cache_entries(build_dir):
    entries = {}
    try:
        with open(os.path.join(build_dir, "CMakeCache.txt"), encoding="utf-8") as cache:
            for line in cache:
                if ":" in line and "=" in line and not line.startswith(("#", "//")):
                    name, rest = line.rstrip("\n").split(":", 1)
                    entries[name] = rest.split("=", 1)[1]
    except FileNotFoundError:
        pass
    return entries


def _resource_tree(exe_path):
    import pefile
    pe = pefile.PE(exe_path, fast_load=True)
    pe.parse_data_directories(directories=[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    return pe


def _resource(exe_path, type_key, id_key, language):
    """Bytes of one resource; type and id are numbers or names."""
    pe = _resource_tree(exe_path)
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_name = str(type_entry.name) if type_entry.name else type_entry.id
        if type_name != type_key:
            continue
        for id_entry in type_entry.directory.entries:
            if (str(id_entry.name) if id_entry.name else id_entry.id) != id_key:
                continue
            for lang_entry in id_entry.directory.entries:
                if language is None or lang_entry.id == language:
                    data = lang_entry.data.struct
                    return pe.get_data(data.OffsetToData, data.Size)
    return None


def string_entry(exe_path, string_id, language=ENGLISH_LANGUAGE):
    block = _resource(exe_path, RT_STRING, string_id // 16 + 1, language)
    if block is None:
        return None
    offset = 0
    for index in range(16):
        length = int.from_bytes(block[offset:offset + 2], "little")
        text = block[offset + 2:offset + 2 + 2 * length].decode("utf-16-le")
        if index == string_id % 16:
            return text
        offset += 2 + 2 * length
    return None


def _input_file(build_dir, variable, exe_path, type_key, id_key, language):
    path = cache_entries(build_dir).get(variable)
    if path and os.path.isfile(path):
        with open(path, "rb") as data:
            return data.read()
    # Without the build's own record of its inputs, the executable's copy.
    return _resource(exe_path, type_key, id_key, language)


def firmware_image(build_dir, exe_path):
    image = _input_file(build_dir, "FIRMWARE_IMAGE", exe_path, "FIRMWARE", 101, None)
    if image is None or len(image) != texts.IMAGE_SIZE:
        raise ValueError(f"firmware image missing or not {texts.IMAGE_SIZE} bytes")
    return image


def agreement_text(build_dir, exe_path, japanese):
    if japanese:
        return _input_file(build_dir, "EULA_JA", exe_path, "EULA", 145, JAPANESE_LANGUAGE)
    return _input_file(build_dir, "EULA_EN", exe_path, "EULA", 145, ENGLISH_LANGUAGE)
