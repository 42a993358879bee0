# A policy whose list has a value an MDM named with a word: refused whole, so there is
# nothing to check, and the guard keeps the settings in force. It was found in the
# 32-bit view.
{
    printf '[32 SOFTWARE\\Policies\\Pyxen]\nSettingsFromPolicy=dword:1\n'
    printf '[32 SOFTWARE\\Policies\\Pyxen\\Settings]\n1=Solitaire\nsecond=Chess\n'
} > registry.txt
