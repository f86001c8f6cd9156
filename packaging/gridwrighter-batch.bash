# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for gridwrighter-batch: FOLDER EDIT [VALUE] [options]

_gridwrighter_batch()
{
    local cur prev words cword
    _init_completion || return

    local edits="add-row add-column delete-row delete-column fill-formula formula-to-value index-sheet cell-link"
    local options="--first-sheet-only --sheet --close-spreadsheet-apps --quiet --report --help
        --start --end --auto-end-row --auto-end-column --address --sub-address --text
        --dry-run --no-backup --keep-backups --list --jobs --files-from --shard"

    case $prev in
        --report | --files-from)
            _filedir
            return
            ;;
        --sheet | --start | --end | --address | --sub-address | --text | --keep-backups | --jobs | --shard)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The positional arguments so far: the words that are not options or
    # the values of options.
    local i positional=0
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --sheet | --start | --end | --address | --sub-address | --text | --report | --keep-backups | \
                --jobs | --files-from | --shard) ((i++)) ;;
            -*) ;;
            *) ((positional++)) ;;
        esac
    done

    case $positional in
        0) _filedir -d ;;
        1) COMPREPLY=($(compgen -W "$edits" -- "$cur")) ;;
    esac
} &&
    complete -F _gridwrighter_batch gridwrighter-batch
