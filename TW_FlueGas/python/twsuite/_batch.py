"""What the batch functions share: their keyword arguments sorted into columns and settings."""


def split_batch_options(function, options, number_names, setting_names, text):
    """The number columns and the setting texts of a call of `function` (a name for messages);
    arguments given as None count as left out. TypeError for any other keyword."""
    columns = {name: options.pop(name) for name in number_names if options.get(name) is not None}
    settings = {name: text(name, options.pop(name)) for name in setting_names
                if options.get(name) is not None}
    unknown = [name for name, value in options.items() if value is not None]
    if unknown:
        raise TypeError(f"{function}() got an unexpected keyword argument '{unknown[0]}'")
    return columns, settings
